#include "ui/SkinButton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFont>
#include <QImage>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace varne {
namespace {

// The dialog's buttons: 119 x 28 dialog units.
constexpr int kWidth = 238;
constexpr int kHeight = 52;
constexpr int kBottomFaceRow = 48; // brush 63 from here down for a 48-pixel face

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

class SkinButtonTest : public ::testing::Test {
public:
    void SetUp() override {
        m_button.reset();
        m_window = std::make_unique<QWidget>();
        m_window->resize(kWidth + 40, kHeight + 40);
        m_button = std::make_unique<CSkinButton>(QStringLiteral("Exit(&E)"), m_window.get());
        m_button->setGeometry(20, 20, kWidth, kHeight);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(15);
        m_button->setFont(font);
    }

    QImage Render() const {
        return m_button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    void Hover(bool inside) {
        if (inside) {
            QEnterEvent enter(QPointF(5, 5), QPointF(25, 25), QPointF(25, 25));
            QApplication::sendEvent(m_button.get(), &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(m_button.get(), &leave);
        }
    }

    // Shows the window and gives the button the keyboard focus.
    bool Focus() {
        m_window->show();
        m_window->activateWindow();
        m_button->setFocus();
        QElapsedTimer timer;
        timer.start();
        while (!m_button->hasFocus() && timer.elapsed() < 2000) {
            QApplication::processEvents();
        }
        return m_button->hasFocus();
    }

    // Bounding box of the caption's dark pixels inside the face, away from the frames.
    static QRect DarkBox(const QImage& image, int threshold = 128) {
        QRect box;
        for (int y = 4; y < kHeight - 4; ++y) {
            for (int x = 4; x < kWidth - 4; ++x) {
                if (qGray(image.pixel(x, y)) < threshold) {
                    box = box.united(QRect(x, y, 1, 1));
                }
            }
        }
        return box;
    }

    static int DarkPixels(const QImage& image) {
        int count = 0;
        for (int y = 4; y < kHeight - 4; ++y) {
            for (int x = 4; x < kWidth - 4; ++x) {
                count += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            }
        }
        return count;
    }

    std::unique_ptr<QWidget> m_window;
    // A child of m_window, destroyed before it.
    std::unique_ptr<CSkinButton> m_button;
};

TEST_F(SkinButtonTest, PlainButtonHasOutlineAndGradient) {
    const QImage image = Render();
    EXPECT_EQ(At(image, 0, kHeight / 2), QColor(0, 0, 0));
    EXPECT_EQ(At(image, kWidth - 1, kHeight / 2), QColor(0, 0, 0));
    EXPECT_EQ(At(image, kWidth / 2, 0), QColor(0, 0, 0));
    EXPECT_EQ(At(image, kWidth / 2, kHeight - 1), QColor(0, 0, 0));
    EXPECT_EQ(At(image, 1, kHeight / 2), QColor(255, 255, 255)); // edge, no frame
    EXPECT_EQ(At(image, kWidth / 2, 2), QColor(255, 255, 255));  // brush 2
    EXPECT_EQ(At(image, 40, 26), QColor(244, 244, 249));         // brush 63 * 26 / 48 = 34
    for (int y = kBottomFaceRow; y <= kHeight - 2; ++y) {
        EXPECT_EQ(At(image, kWidth / 2, y), QColor(234, 234, 243)) << "row " << y;
    }
    EXPECT_FALSE(m_button->autoFillBackground());
}

TEST_F(SkinButtonTest, StatesChooseGradientAndFrame) {
    const QColor white(255, 255, 255);
    const QColor orange(250, 196, 88);
    const QColor blue(153, 198, 252);
    struct Case {
        std::string name;
        std::function<void(SkinButtonTest&)> setUp;
        QColor bottomBrush;
        QColor leftFrame;
    };
    const std::vector<Case> cases = {
        {"plain", [](SkinButtonTest&) {}, QColor(234, 234, 243), white},
        {"default", [](SkinButtonTest& t) { t.m_button->setDefault(true); }, QColor(234, 234, 240),
         white},
        {"pressed", [](SkinButtonTest& t) { t.m_button->setDown(true); }, QColor(234, 234, 240),
         white},
        {"hover", [](SkinButtonTest& t) { t.Hover(true); }, QColor(240, 240, 243), orange},
        {"hover default",
         [](SkinButtonTest& t) {
             t.m_button->setDefault(true);
             t.Hover(true);
         },
         QColor(240, 240, 234), orange},
        {"focus", [](SkinButtonTest& t) { ASSERT_TRUE(t.Focus()); }, QColor(234, 234, 240), blue},
        {"focus hover",
         [](SkinButtonTest& t) {
             ASSERT_TRUE(t.Focus());
             t.Hover(true);
         },
         QColor(240, 240, 234), orange},
        {"hover then leave",
         [](SkinButtonTest& t) {
             t.Hover(true);
             t.Hover(false);
         },
         QColor(234, 234, 243), white},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.setUp(*this);
        const QImage image = Render();
        EXPECT_EQ(At(image, kWidth / 2, kBottomFaceRow), c.bottomBrush);
        EXPECT_EQ(At(image, 1, kHeight / 2), c.leftFrame);
        EXPECT_EQ(At(image, 3, kHeight / 2),
                  c.leftFrame == white ? At(image, 4, kHeight / 2) : c.leftFrame);
    }
}

TEST_F(SkinButtonTest, HoverFrameUsesTheOrangePens) {
    Hover(true);
    EXPECT_TRUE(m_button->isHovered());
    const QImage image = Render();
    EXPECT_EQ(At(image, 2, 26), QColor(250, 196, 88));                  // left
    EXPECT_EQ(At(image, kWidth - 3, 26), QColor(251, 202, 106));        // right
    EXPECT_EQ(At(image, kWidth / 2, 2), QColor(252, 210, 121));         // top
    EXPECT_EQ(At(image, kWidth / 2, kHeight - 2), QColor(229, 151, 0)); // bottom
    EXPECT_EQ(At(image, 0, 26), QColor(0, 0, 0));                       // outline kept

    Hover(false);
    EXPECT_FALSE(m_button->isHovered());
    EXPECT_EQ(At(Render(), 2, 26), At(Render(), 5, 26));
}

TEST_F(SkinButtonTest, FocusWithoutHoverShowsBlueFrameAndFocusRectangle) {
    ASSERT_TRUE(Focus());
    const QImage image = Render();
    EXPECT_EQ(At(image, kWidth - 3, 26), QColor(162, 189, 252)); // right
    EXPECT_EQ(At(image, kWidth / 2 + 1, 3), QColor(162, 201, 255));
    // The dotted focus rectangle on the face's left column: every other pixel.
    EXPECT_EQ(At(image, 2, 26), QColor(0, 0, 0));
    EXPECT_EQ(At(image, 2, 27), QColor(153, 198, 252));

    Hover(true);
    const QImage hovered = Render();
    EXPECT_EQ(At(hovered, 2, 26), QColor(250, 196, 88));
    EXPECT_EQ(At(hovered, 2, 27), QColor(250, 196, 88));
}

TEST_F(SkinButtonTest, PressedCaptionMovesOnePixelRightAndDown) {
    const QRect normal = DarkBox(Render());
    ASSERT_FALSE(normal.isEmpty());
    m_button->setDown(true);
    const QImage pressed = Render();
    EXPECT_EQ(DarkBox(pressed), normal.translated(1, 1));
    EXPECT_EQ(At(pressed, 0, 26), QColor(0, 0, 0));
}

TEST_F(SkinButtonTest, MnemonicIsUnderlinedAndCentredOnTheWholeCaption) {
    const QImage withMnemonic = Render();
    m_button->setText(QStringLiteral("Exit(E)"));
    const QImage plain = Render();
    const QRect mnemonicBox = DarkBox(withMnemonic);
    const QRect plainBox = DarkBox(plain);

    // The "&" is not drawn: the glyphs cover the same width ...
    EXPECT_NEAR(mnemonicBox.width(), plainBox.width(), 1);
    // ... but the caption is placed by the width measured with the "&", so it sits further left,
    EXPECT_LT(mnemonicBox.left(), plainBox.left());
    // and the underline under the E adds a bar of dark pixels.
    EXPECT_GE(DarkPixels(withMnemonic), DarkPixels(plain) + 5);
}

TEST_F(SkinButtonTest, DisabledCaptionIsEmbossed) {
    const QImage enabled = Render();
    m_button->setEnabled(false);
    const QImage disabled = Render();

    EXPECT_FALSE(DarkBox(enabled).isEmpty());
    EXPECT_TRUE(DarkBox(disabled).isEmpty()); // no black text
    const QRect shadow = DarkBox(disabled, 200);
    ASSERT_FALSE(shadow.isEmpty());

    // The light copy, one pixel down and right, is brighter than the face around it.
    int lightPixels = 0;
    for (int y = shadow.top(); y <= shadow.bottom() + 1; ++y) {
        for (int x = shadow.left(); x <= shadow.right() + 1; ++x) {
            const QColor face = At(enabled, 5, y);
            const QColor pixel = At(disabled, x, y);
            if (pixel.red() > face.red() + 4 && pixel.blue() >= face.blue()) {
                ++lightPixels;
            }
        }
    }
    EXPECT_GT(lightPixels, 10);
    EXPECT_EQ(At(disabled, kWidth / 2, kBottomFaceRow), QColor(234, 234, 243));
}

} // namespace
} // namespace varne
