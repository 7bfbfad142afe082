#include "kinds/oracle/OracleFileDialect.h"

#include "db/KsFileDialect.h"
#include "db/KsUtf8.h"
#include "kinds/oracle/OracleFormat.h"

namespace ks::oracle {

namespace {

using namespace sqlfn;

void initCapFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        const std::string_view text = utf8Arg(argv[0]);
        Buffer out = buffer(2 * text.size());
        if (!out) {
            sqlite3_result_error_nomem(context);
            return;
        }
        if (const std::optional<size_t> written = utf8::initCap(text, out.get()))
            resultBuffer(context, std::move(out), *written);
        else
            resultText(context, ks::initCap(argText(argv[0])));
    });
}

void nvlFunction(sqlite3_context *context, int, sqlite3_value **argv)
{
    sqlite3_result_value(context, sqlite3_value_type(argv[0]) == SQLITE_NULL ? argv[1] : argv[0]);
}

void toCharFunction(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guarded(context, argc, argv, [&] {
        const QVariant value = argValue(argv[0]);
        const bool isNumber = value.typeId() != QMetaType::QString;
        if (argc == 1) {
            resultText(context, isNumber ? numberText(value) : value.toString());
            return;
        }
        const QString format = argText(argv[1]);
        if (isNumber) {
            resultText(context, formatNumber(value, format));
            return;
        }
        // Text that reads as a number is formatted as one, the rest as a date.
        bool numeric = false;
        const double asNumber = value.toString().trimmed().toDouble(&numeric);
        resultText(context, numeric ? formatNumber(asNumber, format) : formatDate(value.toString(), format));
    });
}

} // namespace

void installFileDialect(sqlite3 *handle)
{
    installLike(handle, LikeFlavour::Oracle);
    installLetterCase(handle);
    create(handle, "initcap", 1, &initCapFunction);
    create(handle, "nvl", 2, &nvlFunction);
    create(handle, "to_char", 1, &toCharFunction);
    create(handle, "to_char", 2, &toCharFunction);
}

} // namespace ks::oracle
