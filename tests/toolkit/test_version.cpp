// The version code, build number, update text and report for every kind of platform record.
#include <gtest/gtest.h>

#include <string>

#include "support/dialog_helper.h"
#include "support/test_util.h"
#include "toolkit/dialogs/version.h"

namespace {

OSVERSIONINFOA record_of(DWORD family, DWORD major, DWORD minor, DWORD build, const char* service_pack) {
    OSVERSIONINFOA record = {};
    record.dwOSVersionInfoSize = sizeof record;
    record.dwPlatformId = family;
    record.dwMajorVersion = major;
    record.dwMinorVersion = minor;
    record.dwBuildNumber = build;
    lstrcpynA(record.szCSDVersion, service_pack, sizeof record.szCSDVersion);
    return record;
}

std::string report_of(const OSVERSIONINFOA& record) {
    char report[512];
    version_format_report(version_decode(record), report, sizeof report);
    return report;
}

}  // namespace

TEST(VersionDecode, EveryRowOfTheCodeTable) {
    struct row {
        DWORD family, major, minor;
        int code, shown_major, shown_minor;
    } rows[] = {
        {1, 4, 0, 95, 0, 0},    {1, 4, 10, 98, 0, 0},   {1, 4, 90, 99, 0, 0},   {1, 4, 3, 0, 4, 3},
        {2, 3, 0, 351, 3, 51},  {2, 3, 10, 351, 3, 51}, {2, 3, 51, 351, 3, 51}, {2, 4, 0, 400, 4, 0},
        {2, 4, 7, 400, 4, 0},   {2, 5, 0, 500, 5, 0},   {2, 5, 1, 510, 5, 10},  {2, 5, 2, 520, 5, 20},
        {2, 5, 3, 0, 5, 3},     {2, 6, 0, 0, 6, 0},     {2, 10, 0, 0, 10, 0},   {0, 3, 1, -1, 0, 0},
        {3, 5, 0, -1, 0, 0},    {9, 2, 0, -1, 0, 0},
    };
    for (const row& r : rows) {
        version_info info = version_decode(record_of(r.family, r.major, r.minor, 1234, ""));
        SCOPED_TRACE(testing::Message() << "family " << r.family << " version " << r.major << "." << r.minor);
        EXPECT_EQ(info.code, r.code);
        EXPECT_EQ(info.major, r.shown_major);
        EXPECT_EQ(info.minor, r.shown_minor);
    }
}

TEST(VersionDecode, BuildNumberAndUpdateText) {
    version_info info = version_decode(record_of(1, 4, 10, 0x040A0AFE, " A"));
    EXPECT_EQ(info.code, 98);
    EXPECT_EQ(info.build, 0x0AFE);
    EXPECT_STREQ(info.update, "Second Edition");
    info = version_decode(record_of(1, 4, 0, 950, " C"));
    EXPECT_EQ(info.code, 95);
    EXPECT_STREQ(info.update, "OSR2");
    for (const char* other : {" B", "", "C", " C ", " a", "A"}) {
        EXPECT_STREQ(version_decode(record_of(1, 4, 90, 3000, other)).update, "First Edition") << "[" << other << "]";
    }
    info = version_decode(record_of(2, 4, 0, 0x12345678, "Service Pack 6"));
    EXPECT_EQ(info.build, 0x12345678);
    EXPECT_STREQ(info.update, "Service Pack 6");
    EXPECT_STREQ(version_decode(record_of(2, 5, 1, 2600, "")).update, "");
    EXPECT_STREQ(version_decode(record_of(3, 5, 1, 7, " A")).update, " A");
    // a service pack text that fills the record without an end is cut, not overrun
    OSVERSIONINFOA full = record_of(2, 5, 0, 2195, "");
    memset(full.szCSDVersion, 'S', sizeof full.szCSDVersion);
    EXPECT_EQ(std::string(version_decode(full).update), std::string(127, 'S'));
    // a failed query leaves the cleared record: unknown family, nothing else
    info = version_decode(OSVERSIONINFOA{});
    EXPECT_EQ(info.code, -1);
    EXPECT_EQ(info.build, 0);
    EXPECT_STREQ(info.update, "");
}

TEST(VersionReport, EveryFormat) {
    struct { OSVERSIONINFOA record; const char* report; } rows[] = {
        {record_of(1, 4, 10, 2222, " A"), "OS          =   Windows 98\nBuild       =  2222\nUpdate   =  Second Edition"},
        {record_of(1, 4, 0, 950, ""), "OS          =   Windows 95\nBuild       =  950\nUpdate   =  First Edition"},
        {record_of(1, 4, 90, 3000, " C"), "OS          =   Windows 99\nBuild       =  3000\nUpdate   =  OSR2"},
        {record_of(2, 3, 10, 1057, "Service Pack 5"),
         "OS          =  Windows 3.51  NT Technology\nBuild       =  1057\nUpdate   =  Service Pack 5"},
        {record_of(2, 4, 0, 1381, "Service Pack 6"),
         "OS          =  Windows 4.0  NT Technology\nBuild       =  1381\nUpdate   =  Service Pack 6"},
        {record_of(2, 5, 0, 2195, "Service Pack 4"),
         "OS          =  Windows 2000 5.0  NT Technology\nBuild       =  2195\nUpdate   =  Service Pack 4"},
        {record_of(2, 5, 1, 2600, "Service Pack 3"),
         "OS          =  Windows XP 5.10  NT Technology\nBuild       =  2600\nUpdate   =  Service Pack 3"},
        {record_of(2, 5, 2, 3790, ""),
         "OS          =  Windows .NET Server 2003 family 5.20  NT Technology\nBuild       =  3790\nUpdate   =  "},
        {record_of(3, 5, 1, 77, "x"), "OS          =  Windows Undknown 0.0 undknown Technology\nBuild       =  77\nUpdate   =  x"},
        {record_of(2, 10, 0, 19045, ""), "OS          =  Windows 10.0  (version not listed)\nBuild       =  19045\nUpdate   =  "},
        {record_of(1, 4, 3, 5, ""), "OS          =  Windows 4.3  (version not listed)\nBuild       =  5\nUpdate   =  First Edition"},
    };
    for (const auto& row : rows) EXPECT_EQ(report_of(row.record), row.report);
    // the longest report with the longest update text fits
    OSVERSIONINFOA longest = record_of(2, 5, 2, 0x80000000, "");
    memset(longest.szCSDVersion, 'U', sizeof longest.szCSDVersion - 1);
    std::string report = report_of(longest);
    EXPECT_EQ(report.substr(report.size() - 127), std::string(127, 'U'));
    EXPECT_NE(report.find("-2147483648"), std::string::npos);
}

TEST(SystemVersion, ShowsTheReportOnlyForShowInUpperCase) {
    OSVERSIONINFOA record = {};
    record.dwOSVersionInfoSize = sizeof record;
    ASSERT_TRUE(GetVersionExA(&record));
    int code = version_decode(record).code;
    dialog_helper_start();
    for (const char* keyword : {"show", "Show", "SHOW ", "", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(system_version(keyword), code);
    }
    pump_messages(100);
    EXPECT_TRUE(dialog_helper_seen().empty());
    dialog_helper_queue_button(IDOK);
    EXPECT_EQ(system_version("SHOW"), code);
    dialog_helper_stop();
    ASSERT_EQ(dialog_helper_seen().size(), 1u);
    EXPECT_EQ(dialog_helper_seen()[0].caption, "OS version info");
    EXPECT_EQ(dialog_helper_seen()[0].text, report_of(record));
    EXPECT_TRUE(dialog_helper_unexpected().empty());
}
