#include "scan/console_report.h"

#include <charconv>

#include "platform/text.h"
#include "scan/run_log.h"

namespace tolvane {
namespace {

constexpr std::string_view kRecordMark = "Tolvane: the command has ended\r\nExit Code: ";
constexpr std::string_view kRequestMark = "Tolvane: run this command in the console\r\nShow: ";
constexpr std::string_view kReportSuffix = ".reports.txt";
constexpr std::string_view kLogSuffix = ".txt";
// The header names its parts with the log entry's labels, set apart by two blanks.
constexpr std::string_view kHeaderGap = "  ";
constexpr std::string_view kHeaderDriveEnd = "]";

void AppendUtf8(std::string& text, char32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// One row as the line it shows, in UTF-8, without its right-hand blanks; a lone half of a
// surrogate pair shows as the replacement character.
std::string RowText(const ConsoleRow& row) {
    std::u16string units;
    for (const ConsoleCell& cell : row) {
        if (!cell.SecondHalf) {
            units += cell.Unit == u'\0' ? u' ' : cell.Unit;
        }
    }
    const auto last = units.find_last_not_of(u' ');
    units.resize(last == std::u16string::npos ? 0 : last + 1);
    std::string text;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendUtf8(text, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(text, 0xFFFD);
        } else {
            AppendUtf8(text, unit);
        }
    }
    return text;
}

// Reads the mark, a decimal number and CR LF off the front of bytes; false when any is missing.
bool ReadMarkedNumber(std::string_view& bytes, std::string_view mark, std::int32_t& number) {
    if (bytes.substr(0, mark.size()) != mark) {
        return false;
    }
    bytes.remove_prefix(mark.size());
    const auto lineEnd = bytes.find(kCrLf);
    if (lineEnd == std::string_view::npos || lineEnd == 0) {
        return false;
    }
    const char* last = bytes.data() + lineEnd;
    const auto [end, error] = std::from_chars(bytes.data(), last, number);
    if (error != std::errc() || end != last) {
        return false;
    }
    bytes.remove_prefix(lineEnd + kCrLf.size());
    return true;
}

} // namespace

std::string ConsoleReportText(const std::vector<ConsoleRow>& rows, bool earlierLinesLost) {
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const ConsoleRow& row : rows) {
        lines.push_back(RowText(row));
    }
    while (!lines.empty() && lines.back().empty()) {
        lines.pop_back();
    }
    std::string text;
    if (earlierLinesLost) {
        text += kEarlierLinesLost;
        text += kCrLf;
    }
    for (const std::string& line : lines) {
        text += line;
        text += kCrLf;
    }
    return text;
}

std::string CompletionRecord(const Completion& completion) {
    std::string record(kRecordMark);
    record += std::to_string(completion.ExitCode);
    record += kCrLf;
    record += completion.ReportText;
    return record;
}

std::optional<Completion> ParseCompletionRecord(std::string_view bytes) {
    std::int32_t code = 0;
    if (!ReadMarkedNumber(bytes, kRecordMark, code)) {
        return std::nullopt;
    }
    return Completion{code, std::string(bytes)};
}

std::string RequestRecord(const ConsoleRequest& request) {
    return std::string(kRequestMark) + std::to_string(request.ShowState) + std::string(kCrLf) +
           request.CommandLine;
}

std::optional<ConsoleRequest> ParseRequestRecord(std::string_view bytes) {
    std::int32_t showState = 0;
    if (!ReadMarkedNumber(bytes, kRequestMark, showState) || bytes.empty()) {
        return std::nullopt;
    }
    return ConsoleRequest{showState, std::string(bytes)};
}

std::string ReportFilePath(std::string_view logFilePath) {
    std::string_view stem = logFilePath;
    if (stem.size() >= kLogSuffix.size() &&
        EqualsIgnoringAsciiCase(stem.substr(stem.size() - kLogSuffix.size()), kLogSuffix)) {
        stem.remove_suffix(kLogSuffix.size());
    }
    return std::string(stem) + std::string(kReportSuffix);
}

std::string ReportHeader(std::string_view drive, std::string_view commandLine,
                         std::string_view started, std::string_view completed,
                         std::string_view exitCodeText) {
    std::string header(kDriveLead);
    header += AsciiUpper(drive);
    header += kHeaderDriveEnd;
    header += kHeaderGap;
    header += kStatusCommandPrefix;
    header += commandLine;
    header += kHeaderGap;
    header += kStartedLabel;
    header += started;
    header += kCompletedLabel;
    header += completed;
    header += kHeaderGap;
    header += kErrorlevelLabel;
    header += exitCodeText;
    header += kCrLf;
    return header;
}

} // namespace tolvane
