#include "app/save_file_dialog_qt.h"

#include <QFileInfo>
#include <QMessageBox>

#include <algorithm>
#include <iterator>

namespace {

constexpr int32_t kTypeCount = static_cast<int32_t>(std::size(kSaveFileTypes));
// Under the path of a refused file; the Windows dialog words its own.
constexpr const char16_t* kReadOnlyTargetText =
    u"This file or its folder is read-only.\nTry again with a different file name.";

// Without any write bit a file or folder counts as read-only, as a Windows
// file with the read-only attribute does, even for a user the system would
// let write (root).
bool acceptsWriting(const QFileInfo& info) {
    const QFile::Permissions permissions = info.permissions();
    return permissions.testFlag(QFile::WriteUser) &&
           (permissions & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

bool isWritableTarget(const QString& path) {
    const QFileInfo file(path);
    return acceptsWriting(QFileInfo(file.absolutePath())) &&
           (!file.exists() || acceptsWriting(file));
}

} // namespace

SaveFileDialog::SaveFileDialog(QWidget* parent) : QFileDialog(parent, QStringLiteral("Save As")) {
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const SaveFileType& type : kSaveFileTypes) {
        filters << QString::fromUtf16(type.name) + QStringLiteral(" (") +
                       QString::fromUtf16(type.pattern) + QStringLiteral(")");
    }
    setNameFilters(filters);
    setDefaultSuffix(QString::fromUtf16(kDefaultSuffix));
}

void SaveFileDialog::selectType(int32_t filterIndex) {
    selectNameFilter(nameFilters().value(std::clamp(filterIndex, 1, kTypeCount) - 1));
}

int32_t SaveFileDialog::selectedType() const {
    return static_cast<int32_t>(nameFilters().indexOf(selectedNameFilter())) + 1;
}

// Runs for every way of accepting (the button, Enter in the name box). The
// suffix is the picked type's from here on, so the overwrite question and
// the result both see the name the file will have.
void SaveFileDialog::accept() {
    const int32_t type = selectedType();
    if (type >= 1) {
        setDefaultSuffix(QString::fromUtf16(kSaveFileTypes[type - 1].suffix));
    }
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && !QFileInfo(files.constFirst()).isDir() &&
        !isWritableTarget(files.constFirst())) {
        QMessageBox box(QMessageBox::Warning, QString::fromUtf16(kMessageCaption),
                        files.constFirst() + QStringLiteral("\n") +
                            QString::fromUtf16(kReadOnlyTargetText),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    QFileDialog::accept();
}
