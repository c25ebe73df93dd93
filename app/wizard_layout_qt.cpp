#include "app/wizard_layout_qt.h"

#include "resources/resource_ids.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

#include <cmath>
#include <iterator>

namespace {

using K = ControlKind;

constexpr ControlTemplate kWelcome[] = {
    {K::CenteredText, IDC_WELCOME_HEADING,
     u"ZOR7700Track\n\nCreate a KML / NMEA file\nfrom your device's track log.", 7, 11, 223, 55},
    {K::CenteredText, 0,
     u"Please ensure that your ZOR 7700 is switched on\nand paired with your PC.", 1, 79, 239, 30},
    {K::CenteredText, 0, u"Press Next to Continue", 0, 122, 239, 8},
};
constexpr ControlTemplate kPort[] = {
    {K::CenteredText, IDC_PORT_HEADING,
     u"Please select the Bluetooth serial port\nfor your device:", 7, 8, 232, 34},
    {K::Combo, IDC_PORT_COMBO, u"", 27, 52, 185, 164},
    {K::PushButton, IDC_REFRESH, u"Refresh", 86, 84, 66, 15},
    {K::CenteredText, 0, u"Press Next to Continue", 0, 122, 239, 8},
};
constexpr ControlTemplate kConnecting[] = {
    {K::CenteredText, IDC_CONNECTING_HEADING,
     u"Connecting Bluetooth Device\nThis may take several seconds", 0, 29, 239, 35},
    {K::Progress, IDC_CONNECT_PROGRESS, u"", 20, 77, 200, 7},
    {K::CenteredText, 0, u"Please Wait ...", 0, 122, 239, 8},
};
constexpr ControlTemplate kOutput[] = {
    {K::CenteredText, IDC_OUTPUT_HEADING, u"Please select output file:", 0, 24, 239, 20},
    {K::ReadOnlyEdit, IDC_OUTPUT_PATH, u"", 0, 55, 215, 12},
    {K::DefaultButton, IDC_BROWSE, u"...", 218, 54, 21, 13},
    {K::CheckBox, IDC_ERASE_CHECK, u"&Erase device memory after transfer", 54, 84, 130, 10},
    {K::CenteredText, 0, u"Press Next to Continue", 0, 122, 239, 8},
};
constexpr ControlTemplate kTransfer[] = {
    {K::CenteredText, IDC_TRANSFER_HEADING, u"Transferring Data ...", 8, 38, 223, 21},
    {K::Progress, IDC_TRANSFER_PROGRESS, u"", 19, 66, 200, 7},
    {K::CenteredText, 0, u"Please Wait ...", 0, 114, 239, 8},
};
constexpr ControlTemplate kSuccess[] = {
    {K::CenteredText, IDC_SUCCESS_HEADING, u"Output file successfully created.", 8, 41, 223, 38},
    {K::PushButton, IDC_OPEN_FOLDER, u"&Open Folder", 85, 94, 68, 14},
};
constexpr ControlTemplate kError[] = {
    {K::CenteredText, IDC_ERROR_HEADING, u"ERROR", 0, 0, 239, 18},
    {K::CenteredText, IDC_ERROR_TEXT, u"X", 7, 25, 223, 77},
    {K::CenteredText, 0, u"Press Previous to Resume", 0, 122, 239, 8},
};

template <size_t N> constexpr PageTemplate page(const ControlTemplate (&controls)[N]) {
    return {controls, static_cast<int32_t>(N)};
}

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

const ControlTemplate kFrameControls[] = {
    {K::PushButton, IDC_CANCEL, u"&Cancel", 94, 164, 48, 15},
    {K::PushButton, IDC_PREVIOUS, u"&Previous", 147, 164, 48, 15},
    {K::DefaultButton, IDC_NEXT, u"&Next", 200, 164, 48, 15},
    {K::EtchedLine, 0, u"", 7, 156, 241, 4},
    {K::HiddenStatic, IDC_PAGE_PLACEHOLDER, u"X", 7, 7, 240, 140},
};
const int32_t kFrameControlCount = static_cast<int32_t>(std::size(kFrameControls));

const PageTemplate kPageLayouts[] = {
    page(kWelcome),  page(kPort),    page(kConnecting), page(kOutput),
    page(kTransfer), page(kSuccess), page(kError),
};

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
