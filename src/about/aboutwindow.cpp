#include "about/aboutwindow.h"

#include "about/systeminfo.h"
#include "about/website.h"

#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>

#include <memory>

namespace {

constexpr int IconSide = 41;
constexpr int LabelHeight = 13;

QPixmap ProgramIcon(qreal devicePixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/icons/zestrel.svg"));
    const int side = qRound(32 * devicePixelRatio);
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

// A label at its design position that sizes itself to its text.
QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const QString& text, bool bold = false)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->move(left, top);
    label->resize(label->sizeHint().width(), LabelHeight);
    return label;
}

constexpr int RightMargin = 8;

// Sizes the label to its text; a text too long for the fixed window (a long
// distribution name) is cut short with an ellipsis and shown whole as a tip.
void ShowFitted(QLabel* label, const QString& text)
{
    const int room = label->parentWidget()->width() - label->x() - RightMargin;
    label->setText(label->fontMetrics().elidedText(text, Qt::ElideRight, room));
    label->setToolTip(label->text() == text ? QString() : text);
    label->resize(label->sizeHint().width(), LabelHeight);
}

} // namespace

TFormAbout::TFormAbout(QWidget* parent)
    : QDialog(parent,
          Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
              Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About"));
    // The window takes the dialog font of the window that opens it.
    setAttribute(Qt::WA_WindowPropagation);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(48, 24, IconSide, IconSide);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(ProgramIcon(devicePixelRatioF()));

    Label5 = MakeLabel(this, "Label5", 128, 16, QStringLiteral("Zestrel PHP Script Creator v1.0"));
    Label1 = MakeLabel(this, "Label1", 16, 88, QStringLiteral("Operating System:"), true);
    OS = MakeLabel(this, "OS", 136, 88, QStringLiteral("OS"));
    Label2 = MakeLabel(this, "Label2", 16, 112, QStringLiteral(" Physical Memory:"), true);
    PhysMem = MakeLabel(this, "PhysMem", 136, 112, QStringLiteral("PhysMem"));
    Label4 = MakeLabel(this, "Label4", 27, 152, WebSiteShownAddress());

    Button1 = new QPushButton(QStringLiteral("Close"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(320, 160, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TFormAbout::Button1Click);

    setFixedSize(402, 193);
    move(192, 114);
}

void TFormAbout::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormAbout::FormActivate()
{
    ShowFitted(OS, CurrentOperatingSystemText());
    ShowFitted(PhysMem, PhysicalMemoryText(TotalPhysicalMemory(), QLocale()));
}

void TFormAbout::Button1Click()
{
    close();
}

void ShowAbout(QWidget* parent)
{
    const auto form = std::make_unique<TFormAbout>(parent);
    form->exec();
}
