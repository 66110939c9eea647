#include "core/textrules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

namespace zestrel {

bool IsLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == u'\v' ||
        c == u'\f' || c == QChar(0x85);
}

QString FlattenLineBreaks(const QString& text, int* cursor)
{
    QString flat;
    flat.reserve(text.size());
    int newCursor = cursor ? *cursor : 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!IsLineBreak(c)) {
            flat.append(c);
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            if (cursor && i + 1 < *cursor)
                --newCursor;
            ++i;
        }
        flat.append(u' ');
    }
    if (cursor)
        *cursor = newCursor;
    return flat;
}

QString ApplicationTitleFor(const QString& programFilePath)
{
    const QString name = QFileInfo(programFilePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    const QString stem = dot < 0 ? name : name.left(dot);
    return stem.left(1) + stem.mid(1).toLower();
}

QString ApplicationTitle()
{
    return ApplicationTitleFor(QCoreApplication::applicationFilePath());
}

QStringList WithAccelerators(const QStringList& captions)
{
    QSet<QChar> used;
    QStringList marked;
    marked.reserve(captions.size());
    for (const QString& caption : captions) {
        qsizetype chosen = -1;
        // First letters of words first, then any letter.
        for (int pass = 0; pass < 2 && chosen < 0; ++pass) {
            for (qsizetype i = 0; i < caption.size(); ++i) {
                const QChar c = caption[i];
                const bool wordStart = i == 0 || caption[i - 1].isSpace();
                if (c.isLetter() && (pass == 1 || wordStart) && !used.contains(c.toLower())) {
                    chosen = i;
                    break;
                }
            }
        }
        QString text = caption;
        text.replace(u'&', QStringLiteral("&&"));
        if (chosen >= 0) {
            used.insert(caption[chosen].toLower());
            text.insert(chosen + caption.left(chosen).count(u'&'), u'&');
        }
        marked.append(text);
    }
    return marked;
}

} // namespace zestrel
