// The colour palette control: colours round trip exactly, a drag moves the preview on every
// move but tells the window once, and the keyboard moves the colour a step at a time.
#include "controls/color_palette.h"

#include <QKeyEvent>
#include <QTest>

#include "controls/picture_controls.h"
#include "support/ui_fixture.h"
#include "ui/control_factory.h"

namespace {

class PaletteTest : public uitest::AppFixture {
  protected:
    PaletteTest() : manager_(&window_) {
        manager_.AddNotifier(&recorder_);
        window_.resize(300, 220);
        palette_ = new CColorPaletteUI(&window_);
        palette_->setObjectName("Pallet");
        palette_->setGeometry(10, 10, 240, 180);
        window_.show();
    }
    int ColourChanges() const {
        return static_cast<int>(std::count_if(
            recorder_.log.begin(), recorder_.log.end(),
            [](const uitest::Recorder::Entry& e) { return e.type == "colorchanged"; }));
    }
    QRgb StripPixel() {
        const QImage image = palette_->grab().toImage();
        return image.pixel(palette_->StripRect().center()) & 0x00FFFFFFu;
    }
    void Key(int key, bool autoRepeat = false, QEvent::Type type = QEvent::KeyPress) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(palette_, &event);
    }

    QWidget window_;
    CPaintManagerUI manager_;
    uitest::Recorder recorder_;
    CColorPaletteUI* palette_ = nullptr;
};

TEST_F(PaletteTest, ColoursRoundTripExactlyAndSettingNeverNotifies) {
    const uint32_t colours[] = {0xFF0099FFu, 0xFF000000u, 0xFFFFFFFFu, 0xFF808080u,
                                0xFF010203u, 0xFFFF0000u, 0xFF123456u, 0xFFFEFDFCu};
    for (uint32_t colour : colours) {
        palette_->SetSelectColor(colour);
        EXPECT_EQ(palette_->GetSelectColor(), colour) << std::hex << colour;
    }
    palette_->SetSelectColor(0x00336699u);  // alpha is always full
    EXPECT_EQ(palette_->GetSelectColor(), 0xFF336699u);
    EXPECT_EQ(ColourChanges(), 0);
}

TEST_F(PaletteTest, ADragMovesThePreviewOnEveryMoveAndNotifiesOnceOnRelease) {
    palette_->SetSelectColor(0xFFFFFFFFu);
    const QRect field = palette_->FieldRect();
    const QPoint start = field.topLeft() + QPoint(5, 5);
    uitest::SendMouse(palette_, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    QRgb previous = StripPixel();
    for (int step = 1; step <= 20; ++step) {
        const QPoint pos = start + QPoint(step * 8, step * 3);
        uitest::SendMouse(palette_, QEvent::MouseMove, pos, Qt::NoButton, Qt::LeftButton);
        const QRgb now = StripPixel();
        EXPECT_EQ(now, palette_->GetSelectColor() & 0x00FFFFFFu) << step;
        EXPECT_NE(now, previous) << step;
        previous = now;
    }
    EXPECT_EQ(ColourChanges(), 0);
    uitest::SendMouse(palette_, QEvent::MouseButtonRelease, start + QPoint(160, 60), Qt::LeftButton,
                      Qt::NoButton);
    EXPECT_EQ(ColourChanges(), 1);
    ASSERT_FALSE(recorder_.log.empty());
    EXPECT_EQ(recorder_.log.back().sender, "Pallet");

    // A click that puts back the same colour tells nothing.
    const QPoint same = start + QPoint(160, 60);
    uitest::SendMouse(palette_, QEvent::MouseButtonPress, same, Qt::LeftButton, Qt::LeftButton);
    uitest::SendMouse(palette_, QEvent::MouseButtonRelease, same, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(ColourChanges(), 1);
}

TEST_F(PaletteTest, TheFieldPicksHueAcrossAndSaturationDownAndTheBarPicksValue) {
    palette_->SetSelectColor(0xFFFFFFFFu);
    const QRect field = palette_->FieldRect();
    uitest::SendMouse(palette_, QEvent::MouseButtonPress, field.topLeft(), Qt::LeftButton,
                      Qt::LeftButton);
    uitest::SendMouse(palette_, QEvent::MouseButtonRelease, field.topLeft(), Qt::LeftButton,
                      Qt::NoButton);
    EXPECT_EQ(palette_->GetSelectColor(), 0xFFFF0000u);  // hue 0, full saturation and value
    const QRect bar = palette_->BarRect();
    const QPoint bottom(bar.center().x(), bar.bottom() + 30);  // dragged past the end
    uitest::SendMouse(palette_, QEvent::MouseButtonPress, bar.center(), Qt::LeftButton,
                      Qt::LeftButton);
    uitest::SendMouse(palette_, QEvent::MouseMove, bottom, Qt::NoButton, Qt::LeftButton);
    uitest::SendMouse(palette_, QEvent::MouseButtonRelease, bottom, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(palette_->GetSelectColor(), 0xFF000000u);
    EXPECT_EQ(ColourChanges(), 2);
}

TEST_F(PaletteTest, KeysMoveTheColourAndAHeldKeyNotifiesOnceOnRelease) {
    palette_->SetSelectColor(0xFFFF0000u);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right, true);
    Key(Qt::Key_Right, true);
    EXPECT_DOUBLE_EQ(palette_->Hue(), 3 * CColorPaletteUI::kHueKeyStep);
    EXPECT_EQ(ColourChanges(), 0);
    Key(Qt::Key_Right, true, QEvent::KeyRelease);
    EXPECT_EQ(ColourChanges(), 0);
    Key(Qt::Key_Right, false, QEvent::KeyRelease);
    EXPECT_EQ(ColourChanges(), 1);

    Key(Qt::Key_PageDown);
    Key(Qt::Key_PageDown, false, QEvent::KeyRelease);
    EXPECT_EQ(ColourChanges(), 2);
    EXPECT_LT(palette_->Value(), 1.0);
    Key(Qt::Key_Down);
    Key(Qt::Key_Down, false, QEvent::KeyRelease);
    EXPECT_EQ(ColourChanges(), 3);
    EXPECT_LT(palette_->Saturation(), 1.0);
    const uint32_t colour = palette_->GetSelectColor();
    EXPECT_NE(colour, 0xFFFF0000u);
    // A key that moves nothing (saturation already full) tells nothing.
    palette_->SetSelectColor(0xFFFF0000u);
    Key(Qt::Key_Up);
    Key(Qt::Key_Up, false, QEvent::KeyRelease);
    EXPECT_EQ(ColourChanges(), 3);
}

TEST_F(PaletteTest, TheFactoryBuildsItByBothNames) {
    controls::RegisterPictureControls(CControlFactory::GetInstance());
    for (const char* name : {"ColorPalette", "CColorPaletteUI"}) {
        std::unique_ptr<QWidget> built(CControlFactory::GetInstance().CreateControl(name, nullptr));
        EXPECT_NE(qobject_cast<CColorPaletteUI*>(built.get()), nullptr) << name;
    }
}

TEST(PaletteArithmetic, HueSaturationAndValueGiveTheirColours) {
    struct Case {
        double hue, saturation, value;
        uint32_t argb;
    };
    const Case cases[] = {
        {0, 1, 1, 0xFFFF0000u},   {120, 1, 1, 0xFF00FF00u},  {240, 1, 1, 0xFF0000FFu},
        {360, 1, 1, 0xFFFF0000u}, {-120, 1, 1, 0xFF0000FFu}, {60, 0, 1, 0xFFFFFFFFu},
        {60, 1, 0, 0xFF000000u},  {0, 2, 2, 0xFFFF0000u},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ui::ArgbFromHsv(c.hue, c.saturation, c.value), c.argb) << c.hue;
}

}  // namespace
