#include "help/helpwindow.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>

#include <memory>

QString HelpAddress(const QString& directory)
{
    QString address = directory;
    address.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return address + QStringLiteral("/help.html");
}

QUrl BuiltInHelpPage()
{
    return QUrl(QStringLiteral("qrc:/help/help.html"));
}

QUrl HelpSource(const QString& address)
{
    const QFileInfo file(address);
    if (!file.isFile())
        return BuiltInHelpPage();
    // The address may hold doubled slashes (a root directory); the viewer
    // needs a clean local path, or "//help.html" would name a network host.
    return QUrl::fromLocalFile(QDir::cleanPath(file.absoluteFilePath()));
}

TFormHelp::TFormHelp(QWidget* parent)
    : QDialog(parent,
          Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_directory(QDir::toNativeSeparators(QDir::currentPath()))
{
    setObjectName(QStringLiteral("FormHelp"));
    setWindowTitle(QStringLiteral("Help Contents"));

    Web1 = new QTextBrowser(this);
    Web1->setObjectName(QStringLiteral("Web1"));
    Web1->setGeometry(0, 0, 729, 345);

    setFixedSize(729, 345);
    move(48, 117);
}

void TFormHelp::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFormHelp::FormActivate()
{
    Web1->setSource(HelpSource(HelpAddress(m_directory)));
}

void ShowHelp(QWidget* parent)
{
    const auto form = std::make_unique<TFormHelp>(parent);
    form->exec();
}
