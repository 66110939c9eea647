#pragma once

#include <QComboBox>

namespace zestrel {

// An editable combo box whose drop-down list opens on the entry its text
// shows, or on none when the text shows no entry (a default such as "Value",
// or a typed text): the first press of Down then picks the first entry.
class PickerBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override;
};

} // namespace zestrel
