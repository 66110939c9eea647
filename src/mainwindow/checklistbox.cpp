#include "mainwindow/checklistbox.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>

#include <algorithm>

namespace zestrel {

namespace {

// The application's style with check indicators of at most `size` pixels.
class SmallIndicatorStyle : public QProxyStyle {
public:
    explicit SmallIndicatorStyle(int size)
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())), size_(size)
    {
    }

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        return metric == PM_IndicatorWidth || metric == PM_IndicatorHeight ? std::min(value, size_) : value;
    }

private:
    int size_;
};

} // namespace

CheckListBox::CheckListBox(QWidget* parent) : QListView(parent)
{
    // A widget does not own its style; the view does, as its child.
    auto* style = new SmallIndicatorStyle(kCheckListRowHeight - 2);
    style->setParent(this);
    setStyle(style);
}

} // namespace zestrel
