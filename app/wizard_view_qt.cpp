#include "app/wizard_view_qt.h"

#include "app/accessible_combo_qt.h"
#include "app/save_file_dialog_qt.h"
#include "resources/resource_ids.h"
#include "version.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

namespace {

QString toQString(const char16_t* text) {
    return QString::fromUtf16(text);
}

CWStr toCWStr(const QString& text) {
    const std::u16string wide = text.toStdU16String();
    return CWStr(wide.c_str());
}

bool isHeading(int32_t id) {
    return (id >= IDC_HEADING_FIRST && id < IDC_HEADING_FIRST + kPageCount) || id == IDC_ERROR_TEXT;
}

// The widget for a template control, with what its kind implies.
QWidget* createControl(QWidget* parent, const ControlTemplate& control) {
    const QString text = toQString(control.text);
    switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::DefaultButton:
        return new QPushButton(text, parent);
    case ControlKind::EtchedLine: {
        auto* line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case ControlKind::HiddenStatic:
    case ControlKind::CenteredText: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
        label->setVisible(control.kind != ControlKind::HiddenStatic);
        return label;
    }
    case ControlKind::Combo: {
        auto* combo = new QComboBox(parent);
        combo->setMaxVisibleItems(10);
        return combo;
    }
    case ControlKind::Progress: {
        auto* bar = new QProgressBar(parent);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        return bar;
    }
    case ControlKind::ReadOnlyEdit: {
        auto* edit = new QLineEdit(parent);
        edit->setEnabled(false);
        return edit;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    }
    return nullptr;
}

// Where the template puts `widget`, in pixels of the frame's font.
QRect controlArea(const QWidget& widget, const ControlTemplate& control, const DialogUnits& units) {
    QRect area = units.toPixels(control.x, control.y, control.width, control.height);
    if (control.kind == ControlKind::Combo) {
        // The template's height includes the open list; the closed box is
        // as high as the toolkit draws it.
        area.setHeight(widget.sizeHint().height());
    }
    return area;
}

} // namespace

QtWizardView::QtWizardView() : heading(headingFont()) {
    installNamedComboAccessible();
    BuildFrame();
    // Each report wakes the user-interface thread once and is taken there, in
    // posting order, one per wake-up.
    reports.setWakeUp([this] {
        QMetaObject::invokeMethod(
            &frame, [this] { DeliverReports(); }, Qt::QueuedConnection);
    });
}

QtWizardView::~QtWizardView() = default;

void QtWizardView::BuildFrame() {
    frame.setFont(dialogFont());
    frame.setWindowTitle(QStringLiteral("ZOR7700Track"));
    // An application window with a task-bar button, a minimize box and a close
    // box, no maximize and no help button.
    frame.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    frame.setWindowIcon(QIcon(QStringLiteral(":/zor7700track.png")));
    const DialogUnits units(frame.font());
    const DialogLayout& layout = dialogLayout(IDD_MAIN);
    frame.setFixedSize(units.x(layout.width), units.y(layout.height));
    for (int32_t i = 0; i < layout.count; ++i) {
        QWidget* widget = BuildControl(&frame, layout.controls[i], units);
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            frame.routeFrameButton(button, static_cast<uint16_t>(layout.controls[i].id));
        }
    }
}

QWidget* QtWizardView::BuildControl(QWidget* parent, const ControlTemplate& control,
                                    const DialogUnits& units) {
    QWidget* widget = createControl(parent, control);
    widget->setGeometry(controlArea(*widget, control, units));
    if (isHeading(control.id)) {
        widget->setFont(heading);
    }
    // A page's default button takes over from the frame's only while its
    // page is shown (SetPageVisible).
    if (control.kind == ControlKind::DefaultButton && parent == &frame) {
        frameDefault = qobject_cast<QPushButton*>(widget);
        frameDefault->setDefault(true);
    }
    RegisterControl(widget, control.id);
    return widget;
}

void QtWizardView::RegisterControl(QWidget* widget, int32_t controlId) {
    if (controlId != 0) {
        widget->setObjectName(QString::number(controlId));
        controls[controlId] = widget;
    }
    for (const AccessibleName& entry : kAccessibleNames) {
        if (entry.controlId == controlId) {
            widget->setAccessibleName(toQString(entry.name));
        }
    }
}

intptr_t QtWizardView::RunModal(CTDlg& dialog) {
    return frame.runModal(dialog);
}

void QtWizardView::EndDialog(DialogWindow, intptr_t endCode) {
    frame.endModal(endCode);
}

void QtWizardView::CreatePages(DialogWindow) {
    const DialogUnits units(frame.font());
    const QPoint origin = Control(IDC_PAGE_PLACEHOLDER)->geometry().topLeft();
    for (int32_t index = 0; index < kPageCount; ++index) {
        const DialogLayout& layout = dialogLayout(kPageTemplates[index]);
        auto* page = new QWidget(&frame);
        page->setObjectName(QStringLiteral("page%1").arg(kPageTemplates[index]));
        page->setGeometry(QRect(origin, QSize(units.x(layout.width), units.y(layout.height))));
        page->hide();
        for (int32_t i = 0; i < layout.count; ++i) {
            const ControlTemplate& control = layout.controls[i];
            QWidget* widget = BuildControl(page, control, units);
            const auto id = static_cast<uint16_t>(control.id);
            if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                frame.routePageCombo(combo, id);
            } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
                frame.routePageButton(button, id);
            }
            if (control.kind == ControlKind::DefaultButton) {
                pageDefaults[static_cast<size_t>(index)] = qobject_cast<QPushButton*>(widget);
            }
        }
        pages[static_cast<size_t>(index)] = page;
    }
    // The page text that asks for a choice labels the control it asks about,
    // so a screen reader relates the two.
    for (const AccessibleName& entry : kAccessibleNames) {
        if (auto* label = qobject_cast<QLabel*>(Control(entry.labelId))) {
            label->setBuddy(Control(entry.controlId));
        }
    }
    // Centred on the screen, as a dialog without an owner is.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect placed = frame.frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        frame.move(placed.topLeft());
    }
}

void QtWizardView::DestroyPages() {
    for (QWidget*& page : pages) {
        if (page == nullptr) {
            continue;
        }
        for (auto it = controls.begin(); it != controls.end();) {
            it = page->isAncestorOf(it->second) ? controls.erase(it) : std::next(it);
        }
        page->hide();
        page->deleteLater();
        page = nullptr;
    }
    pageDefaults = {};
}

void QtWizardView::SetPageVisible(int32_t page, bool visible) {
    if (QWidget* widget = Page(page)) {
        widget->setVisible(visible);
    }
    // Enter clicks the shown page's own default button ("..." on the output
    // page), as the page templates have it; on other pages Next.
    if (QPushButton* own = pageDefaults[static_cast<size_t>(page)]; own && frameDefault) {
        (visible ? own : frameDefault)->setDefault(true);
    }
}

QWidget* QtWizardView::Control(int32_t controlId) const {
    const auto found = controls.find(controlId);
    return found == controls.end() ? nullptr : found->second;
}

void QtWizardView::SetText(int32_t controlId, const char16_t* text) {
    QWidget* widget = Control(controlId);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(toQString(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(toQString(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(toQString(text));
        edit->setCursorPosition(0);
    }
}

void QtWizardView::EnableControl(int32_t controlId, bool enabled) {
    if (QWidget* widget = Control(controlId)) {
        widget->setEnabled(enabled);
    }
}

bool QtWizardView::IsControlEnabled(int32_t controlId) {
    const QWidget* widget = Control(controlId);
    return widget != nullptr && widget->isEnabled();
}

void QtWizardView::SetFocus(int32_t controlId) {
    if (QWidget* widget = Control(controlId)) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

int32_t QtWizardView::FocusedControl() {
    // The window's own focus widget: the one that has the focus, or gets it
    // back when the window is activated again.
    const QWidget* focused = frame.focusWidget();
    if (focused == nullptr || !focused->isEnabled() || !focused->isVisible()) {
        return 0;
    }
    for (const auto& [id, widget] : controls) {
        if (widget == focused) {
            return id;
        }
    }
    return 0;
}

void QtWizardView::ClearCombo(int32_t controlId) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(controlId))) {
        combo->clear();
    }
}

void QtWizardView::AddComboItem(int32_t controlId, const char16_t* text, intptr_t data) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(controlId))) {
        combo->addItem(toQString(text), QVariant::fromValue<qlonglong>(data));
    }
}

void QtWizardView::SetComboSelection(int32_t controlId, int32_t position) {
    if (auto* combo = qobject_cast<QComboBox*>(Control(controlId))) {
        combo->setCurrentIndex(position < combo->count() ? position : -1);
    }
}

int32_t QtWizardView::ComboSelection(int32_t controlId) {
    const auto* combo = qobject_cast<QComboBox*>(Control(controlId));
    return combo == nullptr ? -1 : combo->currentIndex();
}

intptr_t QtWizardView::ComboItemData(int32_t controlId, int32_t position) {
    const auto* combo = qobject_cast<QComboBox*>(Control(controlId));
    if (combo == nullptr || position < 0 || position >= combo->count()) {
        return -1;
    }
    return static_cast<intptr_t>(combo->itemData(position).toLongLong());
}

void QtWizardView::SetProgressRange(int32_t controlId, int32_t low, int32_t high) {
    if (auto* bar = qobject_cast<QProgressBar*>(Control(controlId))) {
        bar->setRange(low, high);
    }
}

void QtWizardView::SetProgressPosition(int32_t controlId, int32_t position) {
    // A Windows progress bar clamps into its range; Qt would ignore the value.
    if (auto* bar = qobject_cast<QProgressBar*>(Control(controlId))) {
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    }
}

int32_t QtWizardView::ProgressPosition(int32_t controlId) {
    const auto* bar = qobject_cast<QProgressBar*>(Control(controlId));
    return bar == nullptr ? 0 : bar->value();
}

bool QtWizardView::IsChecked(int32_t controlId) {
    const auto* box = qobject_cast<QCheckBox*>(Control(controlId));
    return box != nullptr && box->isChecked();
}

CWStr QtWizardView::Caption() {
    return toCWStr(frame.windowTitle());
}

void QtWizardView::SetCaption(const char16_t* text) {
    frame.setWindowTitle(toQString(text));
}

bool QtWizardView::ProductVersion(int32_t (&parts)[4]) {
    parts[0] = ZOR_VERSION_MAJOR;
    parts[1] = ZOR_VERSION_MINOR;
    parts[2] = ZOR_VERSION_PATCH;
    parts[3] = ZOR_VERSION_TWEAK;
    return true;
}

void QtWizardView::StartTimer(uintptr_t timerId, uint32_t intervalMs) {
    frame.startTimer(timerId, intervalMs);
}

void QtWizardView::StopTimer(uintptr_t timerId) {
    frame.stopTimer(timerId);
}

WindowHandle QtWizardView::ReportTarget() {
    return &reports;
}

void QtWizardView::DeliverReports() {
    PostedReport report{};
    if (reports.tryTake(report)) {
        frame.deliver(report.message, report.wParam, report.lParam);
    }
}

bool QtWizardView::AskSaveFile(SaveFileRequest& request) {
    SaveFileDialog dialog(&frame);
    dialog.selectType(filterIndexOf(request.format));
    if (!request.path.IsEmpty()) {
        dialog.selectFile(toQString(request.path));
    } else if (request.initialFolder != nullptr) {
        dialog.setDirectory(toQString(request.initialFolder));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    request.path = toCWStr(dialog.selectedFiles().constFirst());
    request.format = formatOfFilterIndex(dialog.selectedType());
    return true;
}

bool QtWizardView::AskYesNo(const char16_t* text) {
    QMessageBox box(QMessageBox::NoIcon, toQString(kMessageCaption), toQString(text),
                    QMessageBox::Yes | QMessageBox::No, &frame);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void QtWizardView::ShowMessage(const char16_t* text) {
    QMessageBox box(QMessageBox::NoIcon, toQString(kMessageCaption), toQString(text),
                    QMessageBox::Ok, &frame);
    box.exec();
}

void QtWizardView::ShowWarning(const char16_t* text) {
    QMessageBox::warning(&frame, toQString(kMessageCaption), toQString(text));
}

void QtWizardView::OpenFolder(const char16_t* folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(folder)));
}
