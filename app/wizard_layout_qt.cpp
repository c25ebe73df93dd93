#include "app/wizard_layout_qt.h"

#include "app/wizard_view.h"
#include "resources/resource_ids.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <cmath>
#include <iterator>

namespace {

#include "dialog_layouts_qt.inc"

constexpr int32_t layoutIndex(int32_t templateId) {
    for (int32_t i = 0; i < static_cast<int32_t>(std::size(kDialogLayouts)); ++i) {
        if (kDialogLayouts[i].templateId == templateId) {
            return i;
        }
    }
    return -1;
}

// A template the wizard shows but the script lacks fails the build, so
// dialogLayout() always finds what it is asked for.
constexpr bool everyTemplateLaidOut() {
    for (int32_t templateId : kPageTemplates) {
        if (layoutIndex(templateId) < 0) {
            return false;
        }
    }
    return layoutIndex(IDD_MAIN) >= 0;
}
static_assert(everyTemplateLaidOut(), "the resource script lacks a template the wizard shows");

// Windows rounds the average width of the 52 letters to the nearest pixel.
int32_t averageCharWidth(const QFontMetrics& metrics) {
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return (width / 26 + 1) / 2;
}

// MulDiv's rounding, for non-negative values.
int32_t scale(int32_t value, int32_t multiplier, int32_t divisor) {
    return (value * multiplier + divisor / 2) / divisor;
}

} // namespace

const DialogLayout& dialogLayout(int32_t templateId) {
    return kDialogLayouts[layoutIndex(templateId)];
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    baseWidth = averageCharWidth(metrics);
    // Windows rounds ascent and descent up each, so its character height can
    // be a pixel taller than Qt's for the same font.
    const QFontMetricsF exact(font);
    baseHeight = static_cast<int32_t>(std::ceil(exact.ascent()) + std::ceil(exact.descent()));
}

int32_t DialogUnits::x(int32_t du) const {
    return scale(du, baseWidth, 4);
}

int32_t DialogUnits::y(int32_t du) const {
    return scale(du, baseHeight, 8);
}

QRect DialogUnits::toPixels(int32_t left, int32_t top, int32_t width, int32_t height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

QFont dialogFont() {
    QFont font;
    QStringList families;
    families << QStringLiteral("MS Shell Dlg") << QStringLiteral("Tahoma")
             << QStringLiteral("Liberation Sans") << QStringLiteral("DejaVu Sans");
    font.setFamilies(families);
    // 8 points in whole pixels, as Windows asks for the font (11 at 96 dpi);
    // Qt's fractional sizes would make the dialog units a pixel smaller.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
    font.setPixelSize(qRound(8 * dpi / 72));
    return font;
}

QFont headingFont() {
    // A 20-pixel cell height, as the Windows font is asked for: the largest
    // pixel size whose line spacing still fits, so wrapped lines stand 20
    // pixels apart as they do there.
    QFont font = dialogFont();
    font.setWeight(QFont::Normal);
    int pixels = 20;
    font.setPixelSize(pixels);
    while (pixels > 8 && QFontMetrics(font).lineSpacing() > 20) {
        font.setPixelSize(--pixels);
    }
    return font;
}
