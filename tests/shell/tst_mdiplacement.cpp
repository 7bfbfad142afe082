// Where new MDI children open: cascading a caption height apart, back at the
// top left when the next place would leave the workspace, never larger than
// the workspace, and never below a child's own minimum size; a maximized
// child comes back inside the workspace.

#include "settings/Placemnt.h"
#include "shell/FKsMdiMain.h"
#include "shell/KsMdiChild.h"
#include "support/TestSeams.h"
#include "text/FKsTextView.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QtTest>

namespace {

// A child whose frame asks for `size` and which cannot be made smaller than
// `minimum` (its content's minimum).
class SizedChild : public KsMdiChild {
public:
    SizedChild(TfrmKsMdiMain *owner, QSize size, QSize minimum = {})
        : KsMdiChild(owner)
    {
        if (minimum.isValid())
            setMinimumSize(minimum);
        subWindow()->resize(size);
    }
};

// The height of a child's caption as the user sees it: from the top of its
// frame down to its content.
int captionHeight(const KsMdiChild *child)
{
    return child->mapTo(child->subWindow(), QPoint(0, 0)).y();
}

} // namespace

class TestMdiPlacement : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_seams = std::make_unique<ks::test::SeamsInPlace>();
        m_main = std::make_unique<TfrmKsMdiMain>();
        // The workspace keeps the size given here; the main window's own
        // placement (maximized at first) is not what is tested.
        m_main->FormPlacement->setActive(false);
        m_main->resize(520, 400);
        m_main->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    }

    void cleanup()
    {
        m_main.reset();
        m_seams.reset();
    }

    void childrenCascadeAndStartAgainAtTopLeft()
    {
        const QRect area = m_main->mdiArea()->viewport()->rect();
        const QSize size(area.width() / 2, area.height() / 2);
        QList<KsMdiChild *> children;
        for (int i = 0; i < 12; ++i) {
            auto *child = new SizedChild(m_main.get(), size);
            child->showChild();
            children << child;
        }
        const int step = captionHeight(children.first());
        QVERIFY(step > 0);

        QPoint expected(0, 0);
        bool wrapped = false;
        for (KsMdiChild *child : std::as_const(children)) {
            const QRect frame = child->subWindow()->geometry();
            if (!area.contains(QRect(expected, size))) {
                expected = QPoint(0, 0);
                wrapped = true;
            }
            QCOMPARE(frame, QRect(expected, size));
            QVERIFY(area.contains(frame));
            expected += QPoint(step, step);
        }
        // Twelve half-sized children cannot all cascade in one run.
        QVERIFY(wrapped);
    }

    void childLargerThanWorkspaceShrinksToIt()
    {
        auto *first = new SizedChild(m_main.get(), QSize(100, 80));
        first->showChild();
        auto *large = new SizedChild(m_main.get(), QSize(3000, 2000));
        large->showChild();
        const QRect area = m_main->mdiArea()->viewport()->rect();
        QCOMPARE(large->subWindow()->geometry(), area);
    }

    void minimumSizeWinsOverWorkspace()
    {
        // Captions stay whole: a child is not squeezed below its minimum,
        // even where the workspace is smaller; it then starts at the top left.
        const QRect area = m_main->mdiArea()->viewport()->rect();
        auto *first = new SizedChild(m_main.get(), QSize(100, 80));
        first->showChild();
        auto *wide = new SizedChild(m_main.get(), QSize(100, 80), QSize(area.width() + 50, 50));
        wide->showChild();
        const QRect frame = wide->subWindow()->geometry();
        QCOMPARE(frame.topLeft(), QPoint(0, 0));
        QVERIFY(frame.width() >= area.width() + 50);
        QCOMPARE(frame.height(), 80);
    }

    void viewerOpensInsideSmallWorkspace()
    {
        // The viewer's design size is wider than this workspace.
        m_main->resize(420, 300);
        QTRY_VERIFY(m_main->mdiArea()->viewport()->width() < 583);
        const QRect area = m_main->mdiArea()->viewport()->rect();
        QList<TfrmKsTextViewer *> viewers;
        for (int i = 0; i < 6; ++i)
            viewers << TfrmKsTextViewer::create(m_main.get(), QStringLiteral("Definition %1").arg(i));
        for (TfrmKsTextViewer *viewer : std::as_const(viewers)) {
            const QRect frame = viewer->subWindow()->geometry();
            QVERIFY2(area.contains(frame),
                qPrintable(QStringLiteral("%1,%2 %3x%4")
                               .arg(frame.x())
                               .arg(frame.y())
                               .arg(frame.width())
                               .arg(frame.height())));
        }
        QCOMPARE(viewers.first()->subWindow()->geometry().topLeft(), QPoint(0, 0));
        // One opened while another is maximized opens maximized; restored,
        // it comes back inside the workspace all the same.
        viewers.first()->subWindow()->showMaximized();
        QMdiSubWindow *late = TfrmKsTextViewer::create(m_main.get(), QStringLiteral("late"))->subWindow();
        QVERIFY(late->isMaximized());
        late->showNormal();
        QVERIFY(area.contains(late->geometry()));
    }

    void closedChildrenDoNotResetTheCascade()
    {
        auto *first = new SizedChild(m_main.get(), QSize(100, 80));
        first->showChild();
        const int step = captionHeight(first);
        first->subWindow()->close();
        auto *second = new SizedChild(m_main.get(), QSize(100, 80));
        second->showChild();
        QCOMPARE(second->subWindow()->pos(), QPoint(step, step));
    }

private:
    std::unique_ptr<ks::test::SeamsInPlace> m_seams;
    std::unique_ptr<TfrmKsMdiMain> m_main;
};

QTEST_MAIN(TestMdiPlacement)
#include "tst_mdiplacement.moc"
