// The device file: every field's fault with its line number, comments, CRLF, longest texts,
// unreadable files and the shipped sample.
#include "tools/devsim/device_file.h"

#include "tools/devsim/device_fields.h"
#include "tools/devsim/tests/child_process.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace devsim {
namespace {

constexpr const char* kGoodLine =
    "IPCAMERA | 02:4b:00:00:00:15 | 10.77.0.21 | Lobby camera | 80 | 554 | 0 | VX-200";

TEST(DeviceFile, ReadsEveryFieldOfALine) {
    const DeviceFileResult result =
        ParseDeviceFile("DVS|02:4B:00:00:00:1E|10.77.0.30|  Recorder  A  |8080|-1|0x10|DR-0404\n");
    ASSERT_FALSE(result.error.has_value()) << result.error->message;
    ASSERT_EQ(1u, result.devices.size());
    const Device& d = result.devices[0];
    EXPECT_EQ("DVS", d.classText);
    EXPECT_EQ((MacAddress{0x02, 0x4b, 0x00, 0x00, 0x00, 0x1e}), d.mac);
    EXPECT_EQ("10.77.0.30", d.address);
    EXPECT_EQ("Recorder  A", d.name);
    EXPECT_EQ(8080, d.httpPort);
    EXPECT_EQ(-1, d.rtspPort);
    EXPECT_EQ(0x10, d.dvsByte);
    EXPECT_EQ("DR-0404", d.model);
    EXPECT_EQ("", d.subnetMask);
    EXPECT_FALSE(d.usesDhcp);
}

TEST(DeviceFile, SkipsCommentsAndBlankLinesAndTakesCrlfAndAMissingLastNewline) {
    const std::string content = std::string("# header\r\n\r\n   \t \r\n  # indented comment\r\n") +
                                kGoodLine + "\r\n" +
                                "DECODER|02:4b:00:00:00:16|10.77.0.22|Wall|80|554|0|WD-4";
    const DeviceFileResult result = ParseDeviceFile(content);
    ASSERT_FALSE(result.error.has_value()) << result.error->message;
    ASSERT_EQ(2u, result.devices.size());
    EXPECT_EQ("VX-200", result.devices[0].model) << "the CR must not stay in the last field";
    EXPECT_EQ("WD-4", result.devices[1].model);
}

TEST(DeviceFile, KeepsEmptyNameAndModelAndEscapedBytes) {
    const DeviceFileResult result = ParseDeviceFile(
        "IPCAMERA|02:4b:00:00:00:15|10.77.0.21||80|554|0|\n"
        "IPCAMERA|02:4b:00:00:00:16|10.77.0.22|Caf\\xE9 \\| bar \\\\ \xC5|80|554|0|M\\x20\n");
    ASSERT_FALSE(result.error.has_value()) << result.error->message;
    ASSERT_EQ(2u, result.devices.size());
    EXPECT_EQ("", result.devices[0].name);
    EXPECT_EQ("", result.devices[0].model);
    EXPECT_EQ("Caf\xE9 | bar \\ \xC5", result.devices[1].name);
    EXPECT_EQ("M ", result.devices[1].model) << "an escaped space survives trimming";
}

// Every malformed field is reported with its line number; the good line before it is line 2.
TEST(DeviceFile, ReportsTheLineAndTheFaultOfEachBadField) {
    const struct {
        std::string line;
        std::string message;
    } cases[] = {
        {"IPCAMERA | 02:4b:00:00:00:15 | 10.77.0.21",
         "expected 8 fields separated by '|' (class | MAC | IP | name | HTTP port | RTSP port | "
         "DVS byte | model), found 3"},
        {"IPCAMERA 02:4b:00:00:00:15 10.77.0.21 x 80 554 0 m",
         "expected 8 fields separated by '|' (class | MAC | IP | name | HTTP port | RTSP port | "
         "DVS byte | model), found 1"},
        {"A|02:4b:00:00:00:15|10.77.0.21|n|80|554|0|m|extra",
         "expected 8 fields separated by '|' (class | MAC | IP | name | HTTP port | RTSP port | "
         "DVS byte | model), found 9"},
        {" |02:4b:00:00:00:15|10.77.0.21|n|80|554|0|m", "class text is empty"},
        {"IPCAMERA10|02:4b:00:00:00:15|10.77.0.21|n|80|554|0|m",
         "class text \"IPCAMERA10\" is 10 bytes, at most 9 allowed"},
        {"IPCAMERA|02:4b:00:00:00|10.77.0.21|n|80|554|0|m",
         "MAC \"02:4b:00:00:00\" is not six hex pairs like 02:4b:00:00:00:01"},
        {"IPCAMERA|02-4b-00-00-00-15|10.77.0.21|n|80|554|0|m",
         "MAC \"02-4b-00-00-00-15\" is not six hex pairs like 02:4b:00:00:00:01"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0|n|80|554|0|m",
         "IP \"10.77.0\" is not a dotted IPv4 address"},
        {"IPCAMERA|02:4b:00:00:00:15|camera.local|n|80|554|0|m",
         "IP \"camera.local\" is not a dotted IPv4 address"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21.1.2.3.4.5.6.7.8.9.0|n|80|554|0|m",
         "IP \"10.77.0.21.1.2.3.4.5.6.7.8.9.0\" is 30 bytes, at most 29 allowed"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|" + std::string(64, 'n') + "|80|554|0|m",
         "name \"" + std::string(64, 'n') + "\" is 64 bytes, at most 63 allowed"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|" + std::string(62, 'n') + "\\xE9\\xE9|80|554|0|m",
         "name \"" + std::string(62, 'n') + "\\xE9\\xE9\" is 64 bytes, at most 63 allowed"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|bad \\q|80|554|0|m",
         "name \"bad \\q\": unknown escape '\\q' (use \\xHH, \\\\ or \\|)"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|n\\x00|80|554|0|m",
         "name \"n\\x00\": '\\x00' is not allowed"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|n|http|554|0|m",
         "HTTP port \"http\" is not a signed 32-bit integer"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|n|80|2147483648|0|m",
         "RTSP port \"2147483648\" is not a signed 32-bit integer"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|n|80|554|256|m",
         "DVS byte \"256\" is not a number from 0 to 255"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|n|80|554||m",
         "DVS byte \"\" is not a number from 0 to 255"},
        {"IPCAMERA|02:4b:00:00:00:15|10.77.0.21|n|80|554|0|" + std::string(32, 'm'),
         "model \"" + std::string(32, 'm') + "\" is 32 bytes, at most 31 allowed"},
        {"IPCAMERA|02:4b:00:00:00:16|10.77.0.21|n|80|554|0|m",
         "IP 10.77.0.21 is already used on line 2"},
        {"IPCAMERA|02:4b:00:00:00:16|10.77.0.22|n\x01|80|554|0|m",
         "name \"n\\x01\": raw control byte (write \\x01 to mean it)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const DeviceFileResult result = ParseDeviceFile(std::string("# devices\n") + kGoodLine +
                                                        "\n" + c.line + "\n" + kGoodLine);
        ASSERT_TRUE(result.error.has_value());
        EXPECT_EQ(3u, result.error->line);
        EXPECT_EQ(c.message, result.error->message);
    }
}

TEST(DeviceFile, TheSampleFileLoadsWithTheVarietyItPromises) {
    const DeviceFileResult result = LoadDeviceFile(DEVSIM_SAMPLE_FILE);
    ASSERT_FALSE(result.error.has_value())
        << FormatDeviceFileError(DEVSIM_SAMPLE_FILE, *result.error);
    EXPECT_GE(result.devices.size(), 24u);
    std::set<std::string> classes;
    std::set<std::int32_t> httpPorts;
    bool emptyModel = false;
    bool dvsByte = false;
    bool highByteName = false;
    for (const Device& d : result.devices) {
        classes.insert(d.classText);
        httpPorts.insert(d.httpPort);
        emptyModel |= d.model.empty();
        dvsByte |= d.dvsByte != 0;
        for (char c : d.name)
            highByteName |= static_cast<unsigned char>(c) >= 0x80;
    }
    for (const char* cls : {"DVS", "IPCAMERA", "DECODER", "DVS-IPCAM"})
        EXPECT_EQ(1u, classes.count(cls)) << cls;
    for (std::int32_t port : {80, 8080, 81})
        EXPECT_EQ(1u, httpPorts.count(port)) << port;
    EXPECT_TRUE(emptyModel);
    EXPECT_TRUE(dvsByte);
    EXPECT_TRUE(highByteName);
}

} // namespace
} // namespace devsim
