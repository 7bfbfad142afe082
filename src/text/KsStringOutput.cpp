#include "text/KsStringOutput.h"

namespace ks {

void TKsStringOutput::PutLine(const QString &)
{
}

void TKsStringOutput::Write(const QString &text)
{
    m_pending += text;
}

void TKsStringOutput::WriteLn(const QString &text)
{
    const QString line = m_pending + text;
    m_pending.clear();
    PutLine(line);
}

} // namespace ks
