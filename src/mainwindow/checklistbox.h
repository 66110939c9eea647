#pragma once

#include <QListView>

namespace zestrel {

// Height of a row of the check list box.
inline constexpr int kCheckListRowHeight = 13;

// A list view whose check boxes are drawn small enough to fit a row of
// kCheckListRowHeight with a pixel to spare above and below, so that the
// boxes of neighbouring rows never run together.
class CheckListBox : public QListView {
    Q_OBJECT
public:
    explicit CheckListBox(QWidget* parent);
};

} // namespace zestrel
