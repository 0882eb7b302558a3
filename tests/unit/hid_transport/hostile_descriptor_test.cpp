// Report descriptors that a broken or hostile device could give, opened as the program opens
// any interface: each is either refused with a reason or opened with tables sized by what
// the device really declares; none may make an open allocate without bound.
#include <gtest/gtest.h>

#include <set>

#include "hid/hid_connection.h"

namespace {

// A backend with one node whose descriptor (and read result) the test chooses.
class OneNodeBackend final : public hid::IHidBackend {
  public:
    explicit OneNodeBackend(std::vector<uint8_t> descriptor) {
        node_.nodeId = "one/1";
        node_.vendorId = 0x320F;
        node_.productId = 0x5055;
        node_.interfaceNumber = 1;
        node_.identity = "first plug";
        node_.reportDescriptor = std::move(descriptor);
    }
    hid::IoStatus readResult = hid::IoStatus::Timeout;
    std::vector<std::string> gone;  // identities NodeGone was told about

    std::string Name() const override { return "one"; }
    bool ListNodes(std::vector<hid::HidNodeInfo>& nodes, std::string&) override {
        nodes = {node_};
        return true;
    }
    std::unique_ptr<hid::IHidHandle> OpenNode(const std::string&, bool, bool,
                                              std::string&) override {
        return std::make_unique<Handle>(*this);
    }
    bool NodeExists(const std::string& nodeId) override { return nodeId == node_.nodeId; }
    void NodeGone(const hid::HidNodeInfo& node) override { gone.push_back(node.identity); }

  private:
    struct Handle final : hid::IHidHandle {
        explicit Handle(OneNodeBackend& owner) : owner(owner) {}
        OneNodeBackend& owner;
        const hid::HidNodeInfo& Info() const override { return owner.node_; }
        hid::IoStatus Read(std::span<uint8_t>, size_t& n, int, int) override {
            n = 0;
            return owner.readResult;
        }
        hid::IoStatus Write(std::span<const uint8_t>, int, int) override {
            return owner.readResult;
        }
    };
    hid::HidNodeInfo node_;
};

void Append(std::vector<uint8_t>& to, std::initializer_list<uint8_t> bytes) {
    to.insert(to.end(), bytes);
}

// A vendor collection whose reports 1..ids each hold one item of `usages` one-bit buttons.
std::vector<uint8_t> ButtonsPerReportId(int ids, uint16_t usages) {
    const uint8_t low = usages & 0xFF, high = usages >> 8;
    std::vector<uint8_t> d = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01,  // vendor page, collection
                              0x05, 0x09, 0x15, 0x00, 0x25, 0x01,        // buttons 0..1
                              0x75, 0x01, 0x96, low,  high};             // 1 bit x usages
    for (int id = 1; id <= ids; ++id) {
        Append(d, {0x85, static_cast<uint8_t>(id), 0x19, 0x01, 0x2A, low, high, 0x81, 0x02});
    }
    Append(d, {0xC0});
    return d;
}

// Reports 1..ids each with 4000 eight-bit values of usages 0..3999.
std::vector<uint8_t> ValuesPerReportId(int ids) {
    std::vector<uint8_t> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                              0x26, 0xFF, 0x00, 0x75, 0x08, 0x96, 0xA0, 0x0F};
    for (int id = 1; id <= ids; ++id) {
        Append(d, {0x85, static_cast<uint8_t>(id), 0x19, 0x00, 0x2A, 0xFF, 0xFF, 0x81, 0x02});
    }
    Append(d, {0xC0});
    return d;
}

std::vector<uint8_t> EmptyCollections(int count) {
    std::vector<uint8_t> d = {0x05, 0x01};
    for (int i = 0; i < count; ++i) Append(d, {0x09, 0x01, 0xA1, 0x01, 0xC0});
    return d;
}

// A keyboard report: an array of six key slots over usages 0..255.
const std::vector<uint8_t> kSixKeyArray = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07,
                                           0x19, 0x00, 0x29, 0xFF, 0x15, 0x00, 0x26, 0xFF,
                                           0x00, 0x75, 0x08, 0x95, 0x06, 0x81, 0x00, 0xC0};

struct DescriptorCase {
    const char* name;
    std::vector<uint8_t> descriptor;
    const char* refusal;    // nullptr: opens
    size_t items = 0;       // input items when it opens
    size_t listLength = 0;  // usage list of each of them
};

const DescriptorCase kDescriptorCases[] = {
    // 255 report ids of 32,760 buttons each: sized by the page, every list held 8.3 million
    // entries (4.2 GB per open).
    {"HostileButtonsOnEveryReportId", ButtonsPerReportId(255, 32760), "usages"},
    {"EightItemsOfOnePage", ButtonsPerReportId(8, 256), nullptr, 8, 256},
    {"ArrayListHoldsItsSlots", kSixKeyArray, nullptr, 1, 6},
    {"ValueItemsBeyondTheLimit", ValuesPerReportId(16), "report items"},
    {"OneValueReportWithinTheLimit", ValuesPerReportId(1), nullptr, 4000, 0},
    {"TwoHundredFiftySixCollections", EmptyCollections(256), "255 top-level collections"},
};

class HostileDescriptor : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(HostileDescriptor, RefusedOrSizedByItsOwnItems) {
    const DescriptorCase& c = GetParam();
    ASSERT_LE(c.descriptor.size(), 4096u);  // each fits what hidraw hands over
    auto backend = std::make_shared<OneNodeBackend>(c.descriptor);
    CHidConnection connection(backend);
    const std::string path = "one/1#vid_320f&pid_5055&mi_01";
    if (c.refusal) {
        EXPECT_FALSE(connection.Open(path, true, false, true, false));
        EXPECT_NE(connection.LastError().find(c.refusal), std::string::npos)
            << connection.LastError();
        ASSERT_TRUE(connection.Enumerate());
        EXPECT_EQ(connection.PathCount(), 0);
        return;
    }
    ASSERT_TRUE(connection.Open(path, true, false, true, false)) << connection.LastError();
    ASSERT_EQ(connection.InputItemCount(), c.items);
    for (const HidReportItem& item : connection.InputItems()) {
        if (item.isButton) {
            EXPECT_EQ(item.usageList.size(), c.listLength);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileDescriptor, ::testing::ValuesIn(kDescriptorCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HostileDescriptorPaths, TwoHundredFiftyFiveCollectionsGiveDistinctPaths) {
    auto backend = std::make_shared<OneNodeBackend>(EmptyCollections(255));
    CHidConnection connection(backend);
    ASSERT_TRUE(connection.Enumerate());
    std::set<std::string> paths;
    while (auto path = connection.NextPath()) paths.insert(*path);
    EXPECT_EQ(paths.size(), 255u);
    EXPECT_TRUE(paths.count("one/1#vid_320f&pid_5055&mi_01&colff"));
}

struct GoneCase {
    const char* name;
    hid::IoStatus status;
    bool reported;
};

class DeviceGone : public ::testing::TestWithParam<GoneCase> {};

// A read that finds the device gone tells the backend at once, so discovery need not wait
// for the system to remove the node; a time-out or an error says nothing of the kind.
TEST_P(DeviceGone, ReadTellsTheBackend) {
    auto backend = std::make_shared<OneNodeBackend>(kSixKeyArray);
    backend->readResult = GetParam().status;
    CHidConnection connection(backend);
    ASSERT_TRUE(connection.Open("one/1#vid_320f&pid_5055&mi_01", true, true, true, false));
    EXPECT_EQ(connection.NodeIdentity(), "first plug");
    uint8_t buffer[8];
    EXPECT_FALSE(connection.Read(buffer, sizeof buffer, nullptr, 0));
    EXPECT_EQ(backend->gone.size(), GetParam().reported ? 1u : 0u);
    if (GetParam().reported) {
        EXPECT_EQ(backend->gone[0], "first plug");
    }
}

INSTANTIATE_TEST_SUITE_P(Statuses, DeviceGone,
                         ::testing::Values(GoneCase{"Disconnected", hid::IoStatus::Disconnected,
                                                    true},
                                           GoneCase{"Timeout", hid::IoStatus::Timeout, false},
                                           GoneCase{"Error", hid::IoStatus::Error, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
