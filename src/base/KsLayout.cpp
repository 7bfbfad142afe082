#include "base/KsLayout.h"

#include <QEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>

namespace ks {

namespace {

// Re-applies a control's design size whenever what its caption needs may
// have changed.
class DesignSizeKeeper final : public QObject {
public:
    enum Kind { FixedButton, Minimum };

    DesignSizeKeeper(QWidget *control, Kind kind, const QSize &design)
        : QObject(control)
        , m_control(control)
        , m_kind(kind)
        , m_design(design)
    {
        setObjectName(QStringLiteral("ksDesignSize"));
        control->installEventFilter(this);
        apply();
    }

    void setDesign(Kind kind, const QSize &design)
    {
        m_kind = kind;
        m_design = design;
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_control) {
            switch (event->type()) {
            case QEvent::FontChange:
            case QEvent::StyleChange:
                // The control forgets its cached size hints only when it
                // handles the event itself, after this filter; so once more
                // when it has.
                applyLater();
                apply();
                break;
            case QEvent::Polish:
            case QEvent::LayoutRequest: // a container's children changed what they need
                apply();
                break;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void applyLater()
    {
        if (m_applyPending)
            return;
        m_applyPending = true;
        QTimer::singleShot(0, this, [this] {
            m_applyPending = false;
            apply();
        });
    }

    void apply()
    {
        if (m_kind == FixedButton) {
            const auto *button = static_cast<const QPushButton *>(m_control);
            m_control->setFixedSize(m_design.expandedTo(buttonCaptionSize(button)));
            return;
        }
        const QSize natural = m_control->minimumSizeHint();
        m_control->setMinimumSize(m_design.width() > 0 ? std::max(m_design.width(), natural.width()) : 0,
            m_design.height() > 0 ? std::max(m_design.height(), natural.height()) : 0);
    }

    QWidget *m_control;
    Kind m_kind;
    QSize m_design;
    bool m_applyPending = false;
};

void keepDesign(QWidget *control, DesignSizeKeeper::Kind kind, const QSize &design)
{
    // The keeper has no meta-object of its own; it is found by its name.
    QObject *existing = control->findChild<QObject *>(QStringLiteral("ksDesignSize"), Qt::FindDirectChildrenOnly);
    if (auto *keeper = dynamic_cast<DesignSizeKeeper *>(existing))
        keeper->setDesign(kind, design);
    else
        new DesignSizeKeeper(control, kind, design); // owned by the control
}

} // namespace

QSize buttonCaptionSize(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle *style = button->style();
    const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
    QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
    if (!button->icon().isNull())
        text.rwidth() += button->iconSize().width() + 4;
    return {text.width() + frame + margin, text.height() + frame + margin / 2};
}

void setDesignSize(QPushButton *button, const QSize &design)
{
    keepDesign(button, DesignSizeKeeper::FixedButton, design);
}

void setDesignMinimum(QWidget *control, const QSize &design)
{
    keepDesign(control, DesignSizeKeeper::Minimum, design);
}

void setDesignWidth(QWidget *control, int design)
{
    control->setMinimumWidth(design);
    QSizePolicy policy = control->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    control->setSizePolicy(policy);
}

} // namespace ks
