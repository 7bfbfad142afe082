#include "shell/KsWebHelp.h"

#include "base/KsSeams.h"
#include "base/KsVersionInfo.h"

#include <QApplication>
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
    // Without a browser the user still gets the address, to copy from the
    // message into a browser of their own.
    if (!urlOpener().openUrl(QUrl(address, QUrl::TolerantMode)))
        messageBoxes().notify(QApplication::activeWindow(),
            QStringLiteral("No browser could be started. Open this address in one:\r\n\r\n") + address,
            MessageIcon::Warning);
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
