#pragma once
// A sink of text lines: Write collects a partial line, WriteLn completes it and
// hands it to PutLine, which a derived class delivers somewhere.

#include <QString>

namespace ks {

class TKsStringOutput {
public:
    virtual ~TKsStringOutput() = default;

    virtual void PutLine(const QString &line);
    virtual void Write(const QString &text);
    virtual void WriteLn(const QString &text);

    QString pending() const { return m_pending; }

private:
    QString m_pending;
};

} // namespace ks
