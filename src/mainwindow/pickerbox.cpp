#include "mainwindow/pickerbox.h"

#include <QAbstractItemView>

namespace zestrel {

void PickerBox::setListModel(QAbstractItemModel* model)
{
    setModel(model);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &PickerBox::keepText);
    connect(model, &QAbstractItemModel::modelReset, this, &PickerBox::restoreText);
}

void PickerBox::keepText()
{
    keptText_ = currentText();
    wereBlocked_ = blockSignals(true);
}

void PickerBox::restoreText()
{
    setCurrentIndex(-1);
    setEditText(keptText_);
    blockSignals(wereBlocked_);
}

void PickerBox::showPopup()
{
    QComboBox::showPopup();
    // The list would otherwise open on the last entry chosen even after the
    // text was typed over, or on the first entry when none was chosen yet.
    // Setting the current index, an invalid one too, also keeps the list
    // from making its first entry current when it takes the focus.
    const int shown = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    view()->setCurrentIndex(model()->index(shown, modelColumn(), rootModelIndex()));
}

} // namespace zestrel
