#include "sysinfo/os_version.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeEnvironment;
using testing::FakeSkuQuery;
using testing::FakeVersionQuery;

TEST(IsNTFamily, OnlyTheExactValueCounts) {
    const struct {
        const char* Value; // null: not set
        bool NT;
    } rows[] = {
        {"Windows_NT", true}, {"WINDOWS_NT", false}, {nullptr, false}, {"Windows_NT ", false},
    };
    for (const auto& row : rows) {
        FakeEnvironment environment;
        if (row.Value != nullptr) {
            environment.Values["os"] = row.Value;
        }
        EXPECT_EQ(IsNTFamily(environment), row.NT) << (row.Value ? row.Value : "(unset)");
    }
    // The name is looked up as "os"; how case is matched in names is the environment's affair.
    FakeEnvironment other;
    other.Values["OS"] = "Windows_NT";
    EXPECT_FALSE(IsNTFamily(other));
}

TEST(EditionName, Table) {
    const struct {
        std::int32_t Sku;
        const char* Name;
    } rows[] = {
        {1, "Ultimate"},     {2, "Home Basic"}, {3, "Home Premium"}, {4, "Enterprise"},
        {5, "Home Basic N"}, {6, "Business"},   {16, "Business N"},  {0, "Unknown ?"},
        {7, "Unknown ?"},    {17, "Unknown ?"}, {-1, "Unknown ?"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(EditionName(row.Sku), row.Name) << row.Sku;
    }
}

TEST(VistaCheck, VersionsAndEditions) {
    const struct {
        std::uint32_t Platform;
        std::uint32_t Major;
        std::vector<std::int32_t> Skus;
        bool Vista;
        const char* Edition;
        int WmiReads;
    } rows[] = {
        {2, 6, {16}, true, "Business N", 1},
        {2, 6, {7}, true, "Unknown ?", 1},
        {2, 6, {1}, true, "Ultimate", 1},
        {2, 6, {}, true, "Unknown ?", 1},       // no instance gives 0
        {2, 6, {1, 16}, true, "Business N", 1}, // the instance met last decides
        {2, 6, {16, 1}, true, "Ultimate", 1},
        {2, 5, {1}, false, "", 0},
        {2, 10, {1}, false, "", 0},
        {1, 6, {1}, false, "", 0}, // not NT: nothing is looked at
        {0, 0, {1}, false, "", 0}, // the version query failed
    };
    for (const auto& row : rows) {
        FakeVersionQuery version;
        version.Numbers = {row.Platform, row.Major};
        FakeSkuQuery sku;
        sku.Reading.Values = row.Skus;
        const std::optional<clsVistaCheck> check = clsVistaCheck::Create(version, sku);
        ASSERT_TRUE(check.has_value());
        EXPECT_EQ(check->IsThisVista, row.Vista) << row.Platform << " " << row.Major;
        EXPECT_EQ(check->VistaCheckSKU, row.Edition) << row.Platform << " " << row.Major;
        EXPECT_EQ(sku.Reads, row.WmiReads) << row.Platform << " " << row.Major;
    }
}

TEST(VistaCheck, ManagementServiceFailure) {
    FakeVersionQuery version;
    FakeSkuQuery sku;
    sku.Reading = SkuReading{false, {}, "ConnectServer failed"};

    version.Numbers = {2, 6};
    EXPECT_FALSE(clsVistaCheck::Create(version, sku).has_value());

    // Elsewhere the service is never asked, so its failure cannot matter.
    version.Numbers = {2, 10};
    ASSERT_TRUE(clsVistaCheck::Create(version, sku).has_value());

    // getOSSKU asks again on every call.
    sku.Reading = SkuReading{true, {3, 4}, ""};
    std::optional<clsVistaCheck> check = clsVistaCheck::Create(version, sku);
    ASSERT_TRUE(check.has_value());
    EXPECT_EQ(check->getOSSKU(), 4);
    sku.Reading = SkuReading{false, {}, "gone"};
    EXPECT_EQ(check->getOSSKU(), std::nullopt);
}

} // namespace
} // namespace tolvane
