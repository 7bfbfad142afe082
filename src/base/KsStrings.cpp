#include "base/KsStrings.h"

namespace ks {

Error::Error(const QString &message)
    : std::runtime_error(message.toStdString())
    , m_message(message)
{
}

QString trimControl(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QString asciiUpper(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - (u'a' - u'A'));
    }
    return result;
}

QString bareLfToCrLf(const QString &text)
{
    qsizetype bare = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\n' && (i == 0 || text.at(i - 1) != u'\r'))
            ++bare;
    }
    if (bare == 0)
        return text;
    QString result;
    result.reserve(text.size() + bare);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\n' && (i == 0 || text.at(i - 1) != u'\r'))
            result += u'\r';
        result += text.at(i);
    }
    return result;
}

void appendAsParagraphs(QString &target, QStringView text)
{
    target.reserve(target.size() + text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\r') {
            if (i + 1 < size && text.at(i + 1) == u'\n')
                ++i;
            target += QChar::ParagraphSeparator;
        } else if (ch == u'\n') {
            target += QChar::ParagraphSeparator;
        } else {
            target += ch;
        }
    }
}

} // namespace ks
