// The file commands of both roads and the per-period runs: each runs the session's
// command and then shows the controls it leaves in view.
#include "app/mainwindow.h"

#include <QListView>
#include <QPushButton>

namespace tw {

void Form1::getPimFile()
{
    run([this](FrontEnd& front) { return m_session.readPims(front); });
}

bool Form1::openPimFile(const QString& path)
{
    return run([this](FrontEnd& front) { return m_session.readPims(front); }, path).done();
}

void Form1::savePims()
{
    run([this](FrontEnd& front) { return m_session.savePims(front); });
}

void Form1::getConstraintsFile()
{
    if (run([this](FrontEnd& front) { return m_session.readConstraints(front); }).done())
        listDone();  // the reader ends with the editor hidden
}

void Form1::saveConstraints()
{
    run([this](FrontEnd& front) { return m_session.saveConstraints(front); });
}

void Form1::convertConstraints()
{
    run([this](FrontEnd& front) { return m_session.convert(front); });
}

void Form1::computePoint()
{
    run([this](FrontEnd& front) { return m_session.point(front); });
}

void Form1::runEachPeriod()
{
    if (!run([this](FrontEnd& front) { return m_session.runEachPeriod(front); }).done())
        return;
    List1->setVisible(true);
    cmd_done->setVisible(true);
}

}  // namespace tw
