// The headset's sound card found in folders laid out as /proc/asound: by its USB ids, two
// identical headsets told apart by their bus position, other cards and unreadable files
// passed over.
#include "devices/audio/card_finder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

namespace {

using audio::FindHeadsetCard;
using audio::UsbPosition;
namespace fs = std::filesystem;

struct CardFiles {
    int number;
    const char* id;
    const char* usbid;   // nullptr: a card that is not on USB
    const char* usbbus;  // nullptr: no such file
};

class CardFinderTest : public ::testing::Test {
  protected:
    void Lay(std::initializer_list<CardFiles> cards) {
        for (const CardFiles& c : cards) {
            const fs::path dir = Root() / ("card" + std::to_string(c.number));
            fs::create_directories(dir);
            Write(dir / "id", c.id);
            if (c.usbid) Write(dir / "usbid", c.usbid);
            if (c.usbbus) Write(dir / "usbbus", c.usbbus);
        }
        // What /proc/asound also holds beside the card folders.
        Write(Root() / "cards", " 0 [PCH            ]: HDA-Intel\n");
        fs::create_directories(Root() / "seq");
    }
    static void Write(const fs::path& file, const std::string& text) {
        std::ofstream(file) << text << "\n";
    }
    fs::path Root() const { return fs::path(dir_.path().toStdString()); }

    QTemporaryDir dir_;
};

TEST_F(CardFinderTest, ChoosesByUsbIdAndPosition) {
    Lay({{0, "PCH", nullptr, nullptr},
         {1, "Headset", "0c76:1630", "001/004"},
         {2, "Headset_1", "0c76:1630", "003/012"},
         {3, "Device", "0d8c:0014", "001/005"}});
    struct Case {
        UsbPosition at;
        const char* expectedId;  // nullptr: none
        int expectedNumber;
    };
    const Case cases[] = {
        {{1, 4}, "Headset", 1}, {{3, 12}, "Headset_1", 2},
        {{1, 5}, nullptr, -1},                      // the other maker's card at that place
        {{2, 4}, nullptr, -1},  {{}, nullptr, -1},  // two headsets and no position: neither
    };
    for (const Case& c : cases) {
        const auto found = FindHeadsetCard(Root(), "0c76:1630", c.at);
        SCOPED_TRACE(std::to_string(c.at.bus) + "/" + std::to_string(c.at.device));
        if (!c.expectedId) {
            EXPECT_FALSE(found.card);
            EXPECT_FALSE(found.notes.empty());
            continue;
        }
        ASSERT_TRUE(found.card);
        EXPECT_EQ(found.card->id, c.expectedId);
        EXPECT_EQ(found.card->number, c.expectedNumber);
    }
}

TEST_F(CardFinderTest, SingleMatchTakenWithoutPosition) {
    Lay({{0, "PCH", nullptr, nullptr}, {5, "Headset", "0c76:1630", "002/003"}});
    const auto found = FindHeadsetCard(Root(), "0c76:1630", {});
    ASSERT_TRUE(found.card);
    EXPECT_EQ(found.card->id, "Headset");
    EXPECT_EQ(found.card->number, 5);
}

TEST_F(CardFinderTest, BadFilesAreSkipped) {
    Lay({{1, "Headset", "zzzz", "001/004"},
         {2, "Bad id!", "0c76:1630", "001/004"},
         {3, "Headset_2", "0c76:1630", "not/a/bus"},
         {4, "Headset_3", "0c76:1630", "001/007"}});
    // Card 3's position cannot be read: it is not taken for a position, card 4 is.
    auto found = FindHeadsetCard(Root(), "0c76:1630", {1, 7});
    ASSERT_TRUE(found.card);
    EXPECT_EQ(found.card->id, "Headset_3");
    found = FindHeadsetCard(Root(), "0c76:1630", {1, 4});
    EXPECT_FALSE(found.card) << "the card with a bad id at 001/004 must not be opened";
    if (geteuid() != 0) {
        // An unreadable usbid skips the card (root reads it anyway).
        chmod((Root() / "card4" / "usbid").c_str(), 0);
        EXPECT_FALSE(FindHeadsetCard(Root(), "0c76:1630", {1, 7}).card);
    }
}

TEST_F(CardFinderTest, EmptyOrMissingFolder) {
    EXPECT_FALSE(FindHeadsetCard(Root(), "0c76:1630", {}).card);
    const auto missing = FindHeadsetCard(Root() / "nothing", "0c76:1630", {});
    EXPECT_FALSE(missing.card);
    ASSERT_FALSE(missing.notes.empty());
}

TEST(UsbBusText, Parses) {
    struct Case {
        const char* text;
        int bus;  // 0: none
        int device;
    };
    const Case cases[] = {{"001/004", 1, 4}, {"3/12", 3, 12},    {"000/004", 0, 0}, {"001", 0, 0},
                          {"a/b", 0, 0},     {"001/004x", 0, 0}, {"", 0, 0},        {"-1/4", 0, 0}};
    for (const Case& c : cases) {
        const auto at = audio::ParseUsbBus(c.text);
        SCOPED_TRACE(c.text);
        if (c.bus == 0) {
            EXPECT_FALSE(at);
            continue;
        }
        ASSERT_TRUE(at);
        EXPECT_EQ(at->bus, c.bus);
        EXPECT_EQ(at->device, c.device);
    }
}

}  // namespace
