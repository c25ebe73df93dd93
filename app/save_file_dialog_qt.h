#pragma once

#include "app/wizard_view.h"

#include <QFileDialog>

// The wizard's save dialog in Qt: the file types of kSaveFileTypes, the
// picked type's suffix for a name typed without one, an overwrite question,
// and a read-only file or folder refused while the dialog is still open, as
// the Windows dialog does with its flags. Always Qt's own dialog, since a
// desktop's native one would close before the refusal could be made.
class SaveFileDialog final : public QFileDialog {
public:
    explicit SaveFileDialog(QWidget* parent);

    // 1 to the number of types, as filterIndexOf() counts them.
    void selectType(int32_t filterIndex);
    int32_t selectedType() const;

protected:
    void accept() override;
};
