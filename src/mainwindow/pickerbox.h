#pragma once

#include <QComboBox>

namespace zestrel {

// An editable combo box whose drop-down list opens on the entry its text
// shows, or on none when the text shows no entry (a default such as "Value",
// or a typed text): the first press of Down then picks the first entry.
// Its list can be replaced without changing the text it shows.
class PickerBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    // Takes its list from `model`. When the model's entries are replaced,
    // the text stays and no change of it is reported.
    void setListModel(QAbstractItemModel* model);

    void showPopup() override;

private:
    void keepText();
    void restoreText();

    QString keptText_;
    bool wereBlocked_ = false;
};

} // namespace zestrel
