#include <gtest/gtest.h>

#include "hid/hid_connection.h"

struct PathCase {
    const char* path;
    uint16_t vid, pid, mi, col;
};

class PathParsing : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathParsing, Markers) {
    const PathCase& c = GetParam();
    EXPECT_EQ(ParseVendorId(c.path), c.vid);
    EXPECT_EQ(ParseProductId(c.path), c.pid);
    EXPECT_EQ(ParseInterfaceNumber(c.path), c.mi);
    EXPECT_EQ(ParseCollectionNumber(c.path), c.col);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathParsing,
    ::testing::Values(PathCase{"/dev/hidraw3#vid_320f&pid_5055&mi_01&col04", 0x320F, 0x5055, 1, 4},
                      PathCase{"\\\\?\\HID#VID_320F&PID_5055&MI_01&COL04#7&1a2b", 0x320F, 0x5055, 1,
                               4},
                      PathCase{"vhid/2#vid_0c76&pid_1630&mi_03", 0x0C76, 0x1630, 3, 0},
                      PathCase{"/dev/hidraw0#vid_0000&pid_0000", 0, 0, 0, 0},
                      PathCase{"no markers at all", 0, 0, 0, 0},
                      PathCase{"#vid_12345&pid_zz", 0x2345, 0, 0, 0}));

TEST(InterfacePath, CollectionMarkerOnlyWhenSeveral) {
    hid::HidNodeInfo node;
    node.nodeId = "/dev/hidraw7";
    node.vendorId = 0x320F;
    node.productId = 0x5055;
    node.interfaceNumber = 1;
    EXPECT_EQ(hid::MakeInterfacePath(node, 4, 4), "/dev/hidraw7#vid_320f&pid_5055&mi_01&col04");
    EXPECT_EQ(hid::MakeInterfacePath(node, 1, 1), "/dev/hidraw7#vid_320f&pid_5055&mi_01");
    node.interfaceNumber = -1;
    EXPECT_EQ(hid::MakeInterfacePath(node, 1, 1), "/dev/hidraw7#vid_320f&pid_5055");
    EXPECT_EQ(hid::NodeIdOfPath("/dev/hidraw7#vid_320f&pid_5055"), "/dev/hidraw7");
}
