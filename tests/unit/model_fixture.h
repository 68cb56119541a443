#pragma once

#include <gtest/gtest.h>

#include "app/main_window_model.h"
#include "fakes.h"
#include "sysinfo_fakes.h"

namespace tolvane::testing {

// Drive-type values of the system's drive query.
inline constexpr std::int32_t kRemovableDisk = 2;
inline constexpr std::int32_t kFixedDisk = 3;
inline constexpr std::int32_t kCdRom = 5;

// The real window model over scripted services.
class ModelFixture : public ::testing::Test {
protected:
    // A drive with media, of the given type and label.
    void SetDisk(char letter, std::int32_t type, const std::string& label) {
        FakeDriveQuery::Disk disk;
        disk.Type = type;
        disk.Space = DiskSpace{1 << 20, 1 << 30, 1 << 20};
        VolumeDetails volume;
        volume.LabelBuffer = SystemBuffer(label);
        volume.FileSystemBuffer = SystemBuffer("NTFS");
        disk.Volume = volume;
        drives.Disks[std::string(1, letter) + ":\\"] = disk;
    }

    FakeMessageBox messages;
    FakeClock clock;
    FakeEnvironment environment;
    FakeBeeper beeper;
    FakeProcessHost processes;
    FakeTextFileWriter writer;
    FakeDriveQuery drives;
    FakeSaveDialog dialog;
    FakeFileSystem files;
    MainWindowServices services{
        {messages, clock, environment, beeper, processes, writer, "C:\\Tools"},
        drives,
        dialog,
        files};
    MainWindowModel model{services};
};

} // namespace tolvane::testing
