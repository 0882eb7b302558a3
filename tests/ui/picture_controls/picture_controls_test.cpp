// The device picture controls: rubber-band selection, key button double clicks, the ring.
#include "controls/picture_controls.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "controls/circle_progress.h"
#include "controls/composite_controls.h"
#include "controls/device_key_button.h"
#include "controls/select_panel.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"
#include "ui/layout_loader.h"
#include "ui/paint_manager.h"

using namespace uitest;

namespace {
class SelectPanelTest : public AppFixture {
  protected:
    void SetUp() override {
        app();
        controls::RegisterPictureControls(CControlFactory::GetInstance());
        const QString keys = Child("DeviceKeyButton", "key_1", {20, 20, 30, 30}) +
                             Child("DeviceKeyButton", "key_2", {60, 20, 30, 30}) +
                             Child("DeviceKeyButton", "key_3", {20, 100, 30, 30});
        skin.Write("XML/panel.xml",
                   MakeUi(QStringLiteral("<widget class=\"SelectPanel\" name=\"device_key_light\">"
                                         "<property "
                                         "name=\"geometry\"><rect><x>0</x><y>0</y><width>200</"
                                         "width><height>200</height></rect></property>%1</widget>")
                              .arg(keys)));
        ASSERT_TRUE(window.Create(nullptr, "panel"));
        window.PaintManager().AddNotifier(&recorder);
        window.show();
        panel = qobject_cast<CSelectPanelUI*>(window.FindControl("device_key_light"));
        ASSERT_NE(panel, nullptr);
        for (const char* name : {"key_1", "key_2", "key_3"})
            keys_.push_back(qobject_cast<CDeviceKeyButtonUI*>(window.FindControl(name)));
        ASSERT_EQ(std::count(keys_.begin(), keys_.end(), nullptr), 0);
    }
    void Sweep(QPoint from, QPoint to) {
        SendMouse(panel, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
        SendMouse(panel, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }
    std::vector<bool> Selection() const {
        std::vector<bool> out;
        for (auto* key : keys_) out.push_back(key->IsSelected());
        return out;
    }
    TempSkin skin;
    TestWindow window{"XML/panel.xml"};
    Recorder recorder;
    CSelectPanelUI* panel = nullptr;
    std::vector<CDeviceKeyButtonUI*> keys_;
};

TEST_F(SelectPanelTest, SweepSelectsTouchedKeysAndDeselectsTheOthers) {
    keys_[2]->SetSelected(true);
    Sweep({95, 5}, {40, 40});  // from right to left: touches key 1 and key 2
    EXPECT_EQ(Selection(), (std::vector<bool>{true, true, false}));
    EXPECT_EQ(panel->GetSelectionRect(), QRect(QPoint(40, 5), QPoint(94, 39)));
    EXPECT_EQ(recorder.Seen(), QStringList{"click_select_end:device_key_light"});
}

TEST_F(SelectPanelTest, SweepTouchingNoKeyDeselectsAllAndStillNotifies) {
    for (auto* key : keys_) key->SetSelected(true);
    Sweep({150, 150}, {190, 190});
    EXPECT_EQ(Selection(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(recorder.Seen(), QStringList{"click_select_end:device_key_light"});
}

TEST_F(SelectPanelTest, ClickWithoutMovementSelectsNothingAndSendsNothing) {
    keys_[0]->SetSelected(true);
    SendMouse(panel, QEvent::MouseButtonPress, {150, 150}, Qt::LeftButton, Qt::LeftButton);
    SendMouse(panel, QEvent::MouseButtonRelease, {150, 150}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Selection(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(recorder.Seen().isEmpty());

    panel->setEnabled(false);  // a disabled panel does not start a selection
    Sweep({150, 150}, {10, 10});
    EXPECT_TRUE(recorder.Seen().isEmpty());
}

TEST_F(SelectPanelTest, DoubleClickOnAKeyNotifiesOnlyWhenEnabled) {
    QTest::mouseDClick(keys_[0], Qt::LeftButton);
    keys_[1]->setEnabled(false);
    QTest::mouseDClick(keys_[1], Qt::LeftButton);
    const QStringList seen = recorder.Seen();
    EXPECT_EQ(seen.count("dbclick:key_1"), 1);
    EXPECT_EQ(seen.count("dbclick:key_2"), 0);
}

TEST(DeviceKeyButton, AttributesAndFlags) {
    app();
    CDeviceKeyButtonUI key;
    key.setProperty("lightimage", "common/light.png");
    key.setProperty("gmnametextcolor", "#FF00FF");
    EXPECT_EQ(key.GetLightImage(), "common/light.png");
    EXPECT_TRUE(key.IsKeySetHidden());
    EXPECT_EQ(key.GetLightOverlayColour(), 255);
    EXPECT_EQ(key.GetLightOverlayLevel(), 200);
    key.SetLightOverlay(true, 128, 10);
    EXPECT_TRUE(key.IsLightOverlayOn());
    key.SetKeySetHidden(false);
    EXPECT_FALSE(key.IsKeySetHidden());
    QImage image(30, 30, QImage::Format_ARGB32);
    key.resize(30, 30);
    key.render(&image);  // missing images are skipped, not fatal
}

// The button's own look is drawn once and reused: a new style sheet, another state or another
// size must show in the next paint, never the look drawn before.
TEST(DeviceKeyButton, ItsLookFollowsStyleStateAndSize) {
    app();
    CDeviceKeyButtonUI key;
    key.setCheckable(true);
    key.resize(30, 30);
    const auto paint = [&key] {
        QImage image(key.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        key.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image.pixel(key.width() / 2, key.height() / 2);
    };
    const QString sheet = QStringLiteral(
        "QPushButton { background-color: #ff0000; border: none; }"
        "QPushButton:checked { background-color: #0000ff; }");
    key.setStyleSheet(sheet);
    EXPECT_EQ(paint(), qRgb(255, 0, 0));
    EXPECT_EQ(paint(), qRgb(255, 0, 0)) << "drawn again from the kept look";
    key.setChecked(true);
    EXPECT_EQ(paint(), qRgb(0, 0, 255)) << "another state";
    key.setStyleSheet(QStringLiteral("QPushButton { background-color: #00ff00; border: none; }"));
    EXPECT_EQ(paint(), qRgb(0, 255, 0)) << "a new style sheet";
    key.resize(60, 40);
    const QImage wide = [&key] {
        QImage image(key.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        key.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }();
    EXPECT_EQ(wide.pixel(55, 35), qRgb(0, 255, 0)) << "the look covers the new size";
    // The light preview's fill shows under a transparent look.
    key.setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
    key.SetLightFill(0xFFFFFF00u);
    EXPECT_EQ(paint(), qRgb(255, 255, 0));
}

struct BackdropCase {
    const char* name;
    CDeviceKeyButtonUI* key;
    bool taken;  // whether the key takes a backdrop (and then paints opaque)
};

void ExpectBackdropTaken(const BackdropCase& c) {
    c.key->TakeBackdrop();
    EXPECT_EQ(c.key->HasBackdrop(), c.taken) << c.name;
    EXPECT_EQ(c.key->testAttribute(Qt::WA_OpaquePaintEvent), c.taken) << c.name;
}

// A key over its parent's picture takes the picture under it as its backdrop and becomes
// opaque (a preview repaint then paints nothing under it); anywhere that is not known to be
// solid it stays see-through.
TEST(DeviceKeyButton, TakesTheOpaquePictureUnderItAsItsBackdrop) {
    app();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // 100 x 100: a blue band on top, red below it on the left, transparent on the right.
    QImage picture(100, 100, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 50; ++x) picture.setPixel(x, y, y < 20 ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
    const QString file = folder.filePath("picture.png");
    ASSERT_TRUE(picture.save(file));
    const QString sheet = QStringLiteral("QWidget#panel { border-image: url(%1); }").arg(file);

    QWidget window;  // shows nothing of its own: the picture is all there is
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.resize(100, 100);
    QWidget& panel = *new QWidget(&window);
    panel.setObjectName("panel");
    panel.setAttribute(Qt::WA_StyledBackground);
    panel.setStyleSheet(sheet);
    panel.resize(100, 100);
    auto makeKey = [&panel](QRect geometry) {
        auto* key = new CDeviceKeyButtonUI(&panel);
        key->setStyleSheet(QStringLiteral("QPushButton { background: transparent; border: none; }"));
        key->setGeometry(geometry);
        return key;
    };
    CDeviceKeyButtonUI* onRed = makeKey({10, 40, 12, 12});
    CDeviceKeyButtonUI* onEdge = makeKey({44, 40, 12, 12});
    CDeviceKeyButtonUI* onNothing = makeKey({70, 40, 12, 12});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const BackdropCase cases[] = {{"on the red", onRed, true},
                                  {"half over the transparent part", onEdge, false},
                                  {"over the transparent part", onNothing, false}};
    for (const BackdropCase& c : cases) ExpectBackdropTaken(c);
    // The key alone paints the red that lies under it, not the blue band at the picture's top.
    QImage alone(onRed->size(), QImage::Format_ARGB32);
    alone.fill(Qt::black);
    onRed->render(&alone, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(alone.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(alone.pixel(11, 11), qRgb(255, 0, 0));

    // Moved, or the parent's look changed: dropped, taken again when asked.
    onRed->move(10, 10);
    EXPECT_FALSE(onRed->HasBackdrop());
    EXPECT_FALSE(onRed->testAttribute(Qt::WA_OpaquePaintEvent));
    onRed->TakeBackdrop();
    ASSERT_TRUE(onRed->HasBackdrop());
    onRed->render(&alone, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(alone.pixel(0, 0), qRgb(0, 0, 255)) << "from its new place, in the band";
    panel.setStyleSheet(sheet + " ");
    EXPECT_FALSE(onRed->HasBackdrop()) << "the parent's look changed";

    // A sibling below it, or a parent without a picture of its own: nothing is taken.
    auto* below = new QWidget(&panel);
    below->setGeometry(0, 60, 40, 40);
    below->lower();
    below->show();
    CDeviceKeyButtonUI* overSibling = makeKey({10, 70, 12, 12});
    overSibling->show();
    overSibling->TakeBackdrop();
    EXPECT_FALSE(overSibling->HasBackdrop());
}

// What the window shows at the key's place with the key hidden: what its backdrop must hold.
QImage ShownUnder(QWidget& window, CDeviceKeyButtonUI& key) {
    key.hide();
    const QImage shown =
        window.grab(QRect(key.mapTo(&window, QPoint(0, 0)), key.size())).toImage().convertToFormat(QImage::Format_RGB32);
    key.show();
    return shown;
}

QImage KeyAlone(CDeviceKeyButtonUI& key) {
    QImage alone(key.size(), QImage::Format_RGB32);
    alone.fill(Qt::black);
    key.render(&alone, QPoint(), QRegion(), QWidget::DrawChildren);
    return alone;
}

// Keys in a see-through holder, on a half-transparent card with rounded corners, on the
// window's background: each takes what the window shows under it, whichever widget paints
// it, and keeps it only while none of them moves or changes its look.
TEST(DeviceKeyButton, TakesWhatTheWindowShowsUnderItThroughTheWidgetsAboveIt) {
    app();
    QWidget window;
    window.setObjectName("window");
    window.setStyleSheet(QStringLiteral(
        "QWidget#window { background-color: rgb(20, 40, 60); }"
        "QWidget#card { background-color: rgba(200, 0, 0, 128); border-radius: 8px; }"
        "QWidget#under { background-color: rgb(0, 200, 0); }"
        "QPushButton { background: transparent; border: none; }"));
    window.resize(200, 140);
    auto* under = new QWidget(&window);  // below the card, showing through it on the left
    under->setObjectName("under");
    under->setAttribute(Qt::WA_StyledBackground);
    under->setGeometry(0, 0, 40, 140);
    auto* card = new QWidget(&window);
    card->setObjectName("card");
    card->setAttribute(Qt::WA_StyledBackground);
    card->setGeometry(20, 10, 170, 120);
    auto* holder = new QWidget(card);
    holder->setGeometry(0, 0, 170, 120);
    auto makeKey = [holder](QRect geometry) {
        auto* key = new CDeviceKeyButtonUI(holder);
        key->setGeometry(geometry);
        return key;
    };
    CDeviceKeyButtonUI* onCard = makeKey({60, 40, 12, 12});
    CDeviceKeyButtonUI* onCorner = makeKey({160, 110, 10, 10});  // the card's rounded corner
    CDeviceKeyButtonUI* overUnder = makeKey({5, 40, 12, 12});    // the green shows through
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const BackdropCase cases[] = {{"on the card", onCard, true},
                                  {"on the card's rounded corner", onCorner, true},
                                  {"over a widget below the card", overUnder, false}};
    for (const BackdropCase& c : cases) {
        const QImage shown = ShownUnder(window, *c.key);
        ExpectBackdropTaken(c);
        ASSERT_EQ(c.key->HasBackdrop(), c.taken) << c.name;
        if (c.taken) {
            EXPECT_EQ(KeyAlone(*c.key), shown) << c.name;
        }
    }

    // A move below the widget that covers it opaquely drops it; the holder moving shifts the
    // card's corner under the key.
    holder->move(-20, 0);
    EXPECT_FALSE(onCorner->HasBackdrop());
    EXPECT_FALSE(onCorner->testAttribute(Qt::WA_OpaquePaintEvent));
    const QImage shown = ShownUnder(window, *onCorner);
    onCorner->TakeBackdrop();
    ASSERT_TRUE(onCorner->HasBackdrop());
    EXPECT_EQ(KeyAlone(*onCorner), shown);
    // The window (the opaque one) keeps its place under it; the card's look changing drops it.
    window.move(window.pos() + QPoint(5, 5));
    EXPECT_TRUE(onCorner->HasBackdrop());
    card->setEnabled(false);
    EXPECT_FALSE(onCorner->HasBackdrop()) << "the card looks disabled now";

    // A window that is see-through where the key is: nothing covers it, nothing is taken.
    QWidget clear;
    clear.setAttribute(Qt::WA_TranslucentBackground);
    CDeviceKeyButtonUI key(&clear);
    key.setGeometry(0, 0, 12, 12);
    clear.show();
    key.TakeBackdrop();
    EXPECT_FALSE(key.HasBackdrop());
}

QImage PaintRing(int minimum, int maximum, int value) {
    CCircleProgressUI ring;
    ring.setProperty("bkcolor", "#FF0000FF");    // blue disc
    ring.setProperty("forecolor", "#FFFF0000");  // red pie
    ring.resize(100, 100);
    ring.setRange(minimum, maximum);
    ring.setValue(value);
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::black);
    ring.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

TEST(CircleProgress, PaintsTheSweepAsARing) {
    app();
    const QPoint left(4, 50), right(96, 50), centre(50, 50);
    const struct {
        int minimum, maximum, value;
        QRgb atLeft, atRight;
    } cases[] = {
        {0, 100, 100, qRgb(255, 0, 0), qRgb(255, 0, 0)},  // full ring
        {0, 100, 0, qRgb(0, 0, 255), qRgb(0, 0, 255)},    // empty ring
        {0, 100, 50, qRgb(255, 0, 0),
         qRgb(0, 0, 255)},  // from the bottom, clockwise: the left half
        {50, 50, 50, qRgb(0, 0, 255), qRgb(0, 0, 255)},  // maximum = minimum: no division
    };
    for (const auto& c : cases) {
        const QImage image = PaintRing(c.minimum, c.maximum, c.value);
        SCOPED_TRACE(c.value);
        EXPECT_EQ(image.pixel(left), c.atLeft);
        EXPECT_EQ(image.pixel(right), c.atRight);
        EXPECT_EQ(image.pixel(centre), qRgb(255, 255, 255));  // the inner disc
        EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));          // outside the disc: untouched
    }
    EXPECT_EQ(ui::RingSweepDegrees(5, 3, 3), 0.0);
    EXPECT_EQ(ui::RingSweepDegrees(150, 0, 100), 360.0);
    EXPECT_EQ(ui::RingSweepDegrees(-5, 0, 100), 0.0);
}
TEST(CompositeControls, BuildFromTheirOwnLayoutWhereverTheyAreNamed) {
    app();
    TempSkin skin;
    controls::RegisterCompositeControls(CControlFactory::GetInstance());
    skin.Write("XML/CustomControlXML/KeySetControl.xml",
               MakeUi(Child("QComboBox", "keyset_function_combo", {0, 0, 80, 20}), 200, 100));
    skin.Write("XML/page.xml", MakeUi(Child("KeySetControlUI", "key_set", {0, 0, 200, 100}) +
                                      Child("keysetcontrolui", "key_set_2", {0, 100, 200, 100})));
    BuildResult built = CDialogBuilder::Create("XML/page.xml");
    ASSERT_TRUE(built) << built.error.toStdString();
    std::unique_ptr<QWidget> root(built.root);
    QWidget* first = CPaintManagerUI::FindSubControlByName(root.get(), "key_set");
    ASSERT_NE(first, nullptr);
    EXPECT_NE(CPaintManagerUI::FindSubControlByName(first, "keyset_function_combo"), nullptr);
    EXPECT_NE(CPaintManagerUI::FindSubControlByName(root.get(), "key_set_2"), nullptr);

    skin.Write("XML/macro_page.xml", MakeUi(Child("MacroSetControlUI", "macro", {0, 0, 10, 10})));
    BuildResult missing = CDialogBuilder::Create("XML/macro_page.xml");  // its file is not drawn
    EXPECT_FALSE(missing);
    EXPECT_TRUE(missing.error.contains("MacroControl.xml")) << missing.error.toStdString();
}
}  // namespace
