#pragma once
// Web help: every help command opens the maker's help pages in the user's
// browser, with the product, the program's version and a context word in
// the address:
//     https://www.example.com/?app=quillmere&ver=1.2.0.10&ctx=dlgConnect
// The connect dialogs' "?" buttons call ShowWebHelp("dlgConnect").

#include <QString>

namespace ks {

// The maker's home page (the site root).
inline const QString kMakerAddress = QStringLiteral("https://www.example.com/");

// The base of every help address: the home page and "?app=quillmere".
QString DefaultWebHelpBase();

// Replaces the base address; the program sets it at start and clears it at
// its end.
void SetWebHelpBase(const QString &address);
QString WebHelpBase();

// The address web help opens for `context`: the base, "&ver=" and
// `fileVersion` (empty when the program file has no version data), then
// "&ctx=" and the context unless it is empty. The context is a component
// name; any character that would end it is percent-encoded.
QString WebHelpAddress(const QString &context, const QString &fileVersion);

// Opens web help for `context` (may be empty) with the file version of the
// program's own file. When no browser can be started, a message gives the
// address; without a base address there is nothing to open.
void ShowWebHelp(const QString &context);

// Opens the maker's home page, or tells its address as web help does.
void ShowHomepage();

// Sets the base address for its lifetime, as the program's start does.
class WebHelpBaseScope {
public:
    explicit WebHelpBaseScope(const QString &address = DefaultWebHelpBase()) { SetWebHelpBase(address); }
    ~WebHelpBaseScope() { SetWebHelpBase(QString()); }
    WebHelpBaseScope(const WebHelpBaseScope &) = delete;
    WebHelpBaseScope &operator=(const WebHelpBaseScope &) = delete;
};

} // namespace ks
