#include "shell/DKsAboutKs.h"

#include "base/KsAppIcon.h"
#include "base/KsApplication.h"
#include "base/KsLayout.h"
#include "base/KsSeams.h"
#include "base/KsVersionInfo.h"
#include "shell/KsWebHelp.h"

#include <QBoxLayout>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

// Design measures, in pixels at the design font.
constexpr int kMargin = 8;
constexpr int kPanelWidth = 289;
constexpr int kVersionPanelHeight = 105;
constexpr int kUsagePanelHeight = 89;
constexpr int kGap = 7;
constexpr int kIconSize = 32;
constexpr int kIconRightMargin = 9;
constexpr int kButtonLeft = 112;
constexpr QSize kButtonSize(89, 25);
constexpr QSize kUsageSize(273, 73);

// A label that answers a click like a link: blue, with a hand cursor.
class LinkLabel final : public QLabel {
public:
    LinkLabel(const QString &text, QWidget *parent, std::function<void()> onClick)
        : QLabel(text, parent)
        , m_onClick(std::move(onClick))
    {
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, Qt::blue);
        setPalette(colours);
        setCursor(Qt::PointingHandCursor);
        setTextFormat(Qt::PlainText);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            ks::runGuarded(m_onClick);
    }

private:
    std::function<void()> m_onClick;
};

QFrame *makePanel(QWidget *parent, const QString &objectName, int height)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(objectName);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ks::setDesignMinimum(panel, QSize(kPanelWidth, height));
    return panel;
}

// The panel's design places count from its outer edge, the layout from
// inside its bevel.
QMargins insideBevel(const QFrame *panel, int left, int top, int right, int bottom)
{
    const int bevel = panel->frameWidth();
    return {
        std::max(0, left - bevel), std::max(0, top - bevel), std::max(0, right - bevel), std::max(0, bottom - bevel)};
}

// Texts are written with Windows line ends; a label breaks lines at "\n".
QString shownLines(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TdlgKsAboutKs::TdlgKsAboutKs(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("dlgKsAboutKs"));
    setWindowTitle(QStringLiteral("About"));
    // The box speaks in its owner's font.
    setAttribute(Qt::WA_WindowPropagation);

    Panel2 = makePanel(this, QStringLiteral("Panel2"), kVersionPanelHeight);
    lbVersion = new QLabel(QStringLiteral("Version Info"), Panel2);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    lbVersion->setTextFormat(Qt::PlainText);
    Image1 = new QLabel(Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(kIconSize, kIconSize);
    auto *versionLayout = new QHBoxLayout(Panel2);
    versionLayout->setContentsMargins(insideBevel(Panel2, kMargin, kMargin, kIconRightMargin, kMargin));
    versionLayout->setSpacing(kMargin);
    versionLayout->addWidget(lbVersion, 0, Qt::AlignLeft | Qt::AlignTop);
    versionLayout->addStretch();
    versionLayout->addWidget(Image1, 0, Qt::AlignRight | Qt::AlignTop);

    Panel1 = makePanel(this, QStringLiteral("Panel1"), kUsagePanelHeight);
    lbUsage = new QLabel(QStringLiteral("Usage:\n\n"), Panel1);
    lbUsage->setObjectName(QStringLiteral("lbUsage"));
    lbUsage->setTextFormat(Qt::PlainText);
    lbUsage->setWordWrap(false);
    lbUsage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ks::setDesignMinimum(lbUsage, kUsageSize);
    auto *usageLayout = new QHBoxLayout(Panel1);
    usageLayout->setContentsMargins(insideBevel(Panel1, kMargin, kMargin, kMargin, kMargin));
    usageLayout->addWidget(lbUsage);

    Label3 = new LinkLabel(QStringLiteral("www.example.com"), this, [this] { Label3Click(); });
    Label3->setObjectName(QStringLiteral("Label3"));
    // A link wider than its design place keeps a gap before OK.
    Label3->setContentsMargins(0, 0, kMargin, 0);
    btnOk = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    ks::setDesignSize(btnOk, kButtonSize);

    // The link at the left edge, OK from its design place on; a wider link
    // pushes OK to the right.
    auto *bottom = new QGridLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setHorizontalSpacing(0);
    bottom->setColumnMinimumWidth(0, kButtonLeft - kMargin);
    bottom->addWidget(Label3, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    bottom->addWidget(btnOk, 0, 1);
    bottom->setColumnStretch(2, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(0);
    layout->addWidget(Panel2);
    layout->addSpacing(kGap);
    layout->addWidget(Panel1);
    layout->addSpacing(kGap);
    layout->addLayout(bottom);

    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TdlgKsAboutKs::FormCreate()
{
    const TKsStringFileInfo info(ks::programFilePath());
    lbVersion->setText(shownLines(info.FileDescription() + QStringLiteral("\r\n\r\n") + QStringLiteral("Version ")
        + info.Version() + QStringLiteral("\r\n\r\n") + info.LegalCopyright()));
    setWindowTitle(windowTitle() + QLatin1Char(' ') + ks::kAppTitle);
    Image1->setPixmap(ks::applicationIcon().pixmap(kIconSize, kIconSize));

    // A fixed border: the box is exactly as large as its layout needs, the
    // design's 305 by 249 where the font allows.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
}

void TdlgKsAboutKs::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not on the owner.
    if (const QScreen *screen = this->screen()) {
        const QSize frame = frameGeometry().size();
        move(screen->geometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
}

void TdlgKsAboutKs::Label3Click()
{
    ks::ShowWebHelp(QStringLiteral("about"));
}
