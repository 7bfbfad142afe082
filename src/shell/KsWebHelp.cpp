#include "shell/KsWebHelp.h"

#include "base/KsSeams.h"
#include "base/KsVersionInfo.h"

#include <QUrl>

namespace ks {

namespace {

QString &webHelpBase()
{
    static QString base;
    return base;
}

void open(const QString &address)
{
    // What the desktop answers is not examined: no browser, no message.
    urlOpener().openUrl(QUrl(address, QUrl::TolerantMode));
}

} // namespace

QString DefaultWebHelpBase()
{
    return kMakerAddress + QStringLiteral("?app=quillmere");
}

void SetWebHelpBase(const QString &address)
{
    webHelpBase() = address;
}

QString WebHelpBase()
{
    return webHelpBase();
}

QString WebHelpAddress(const QString &context, const QString &fileVersion)
{
    QString address = webHelpBase() + QStringLiteral("&ver=") + fileVersion;
    if (!context.isEmpty())
        address += QStringLiteral("&ctx=") + QString::fromLatin1(QUrl::toPercentEncoding(context));
    return address;
}

void ShowWebHelp(const QString &context)
{
    if (webHelpBase().isEmpty())
        return;
    TVSFixedFileInfo info;
    const QString version = ReadFixedFileVersion(info) ? FileVersionText(info) : QString();
    open(WebHelpAddress(context, version));
}

void ShowHomepage()
{
    open(kMakerAddress);
}

} // namespace ks
