// The fixed-parameter list editor of the main window (List1, Text2 and its buttons):
// which entry the text field is bound to after each step, and that any text is taken.

#include "guitest.h"
#include "support.h"

using namespace twtest;

namespace {

// Runs one step of a script: "fixed" (the menu), "select N", "none" (no selection),
// "modify", "add", "delete", "double N", "type TEXT", "backspace", "done",
// "insert TEXT" (the program puts an entry first, as the per-period runs do).
void step(Form1& form, const QString& line)
{
    const QString word = line.section(' ', 0, 0);
    const QString rest = line.section(' ', 1);
    if (word == "fixed")
        form.menu_fixed->trigger();
    else if (word == "select")
        form.List1->setCurrentRow(rest.toInt());
    else if (word == "none") {
        form.List1->setCurrentRow(-1);
        form.List1->clearSelection();
    } else if (word == "modify")
        form.listModify();
    else if (word == "add")
        QTest::mouseClick(form.cmd_add, Qt::LeftButton);
    else if (word == "delete")
        form.listDelete();
    else if (word == "double")
        emit form.List1->itemDoubleClicked(form.List1->item(rest.toInt()));
    else if (word == "type")
        QTest::keyClicks(form.Text2, rest);
    else if (word == "backspace")
        QTest::keyClick(form.Text2, Qt::Key_Backspace);
    else if (word == "done")
        QTest::mouseClick(form.cmd_done, Qt::LeftButton);
    else if (word == "insert") {
        auto& list = form.model().fixedlist;
        list.insert(list.begin(), rest.toStdString());
        form.refreshFixedList();
    } else
        QFAIL(qPrintable("unknown step " + line));
}

}  // namespace

class FixedListTest : public QObject {
    Q_OBJECT

private slots:
    void editorBindsTheRightEntry_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("list");
        QTest::addColumn<QString>("field");
        const QStringList two{"S(3)=.5;", "S(4)=.6;"};
        const QStringList three{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"};
        QTest::newRow("empty list: Fixed parms shows an empty field")
            << QStringList() << QStringList{"fixed"} << QStringList() << "";
        QTest::newRow("Fixed parms shows entry 0 but does not copy it over the bound entry")
            << three << QStringList{"select 2", "modify", "fixed", "type x"} << three << "S(3)=.5;x";
        QTest::newRow("double-clicked entry changes at every keystroke")
            << three << QStringList{"fixed", "select 2", "double 2", "backspace", "type 5 /* c */;"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(5)=.75 /* c */;"} << "S(5)=.75 /* c */;";
        QTest::newRow("Done keeps the edit and hides the editor")
            << three << QStringList{"fixed", "select 2", "double 2", "type 5", "done"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(5)=.7;5"} << "S(5)=.7;5";
        QTest::newRow("Add appends a copy and unbinds: typing stays apart")
            << two << QStringList{"select 1", "modify", "add", "type S(9)=1;"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(4)=.6;"} << "S(9)=1;";
        QTest::newRow("Add appends the typed text")
            << two << QStringList{"select 1", "modify", "add", "type S(9)=1;", "add"}
            << QStringList{"S(3)=.5;", "S(4)=.6;", "S(4)=.6;", "S(9)=1;"} << "";
        QTest::newRow("free text is accepted") << QStringList() << QStringList{"fixed", "type not a constraint", "add"}
                                               << QStringList{"not a constraint"} << "";
        QTest::newRow("empty text is accepted")
            << QStringList() << QStringList{"fixed", "add"} << QStringList{""} << "";
        QTest::newRow("text without a cell is accepted")
            << QStringList() << QStringList{"fixed", "type S(x)=.5;", "add"} << QStringList{"S(x)=.5;"} << ""
           ;
        QTest::newRow("delete without selection changes nothing")
            << two << QStringList{"none", "delete"} << two << "";
        QTest::newRow("delete moves later entries up and unbinds")
            << three << QStringList{"select 1", "modify", "delete", "type x"}
            << QStringList{"S(3)=.5;", "S(5)=.7;"} << "S(4)=.6;x";
        QTest::newRow("nothing selected after a delete")
            << three << QStringList{"select 1", "modify", "delete", "delete"} << QStringList{"S(3)=.5;", "S(5)=.7;"}
            << "S(4)=.6;";
        QTest::newRow("modify without selection binds no entry")
            << two << QStringList{"none", "modify", "type x"} << two << "x";
        QTest::newRow("a change by the program unbinds")
            << two << QStringList{"select 1", "modify", "insert S(2)=.1;", "type x"}
            << QStringList{"S(2)=.1;", "S(3)=.5;", "S(4)=.6;"} << "S(4)=.6;x";
    }
    void editorBindsTheRightEntry()
    {
        QFETCH(QStringList, start);
        QFETCH(QStringList, script);
        QFETCH(QStringList, list);
        Session s;
        for (const QString& entry : start)
            s.model().fixedlist.push_back(entry.toStdString());
        s.form.refreshFixedList();
        s.model().unsaved = 0;
        for (const QString& line : script)
            step(s.form, line);
        QStringList model, listed;
        for (const std::string& entry : s.model().fixedlist)
            model << QString::fromStdString(entry);
        for (int i = 0; i < s.form.List1->count(); ++i)
            listed << s.form.List1->item(i)->text();
        QCOMPARE(model, list);
        QCOMPARE(listed, list);
        QTEST(s.form.Text2->text(), "field");
        for (QWidget* w : {(QWidget*)s.form.Text2, (QWidget*)s.form.List1, (QWidget*)s.form.cmd_add,
                           (QWidget*)s.form.cmd_delete, (QWidget*)s.form.cmd_modify, (QWidget*)s.form.cmd_done})
            if (script.contains("fixed"))  // the editor shows from Fixed parms until Done
                QCOMPARE(w->isVisibleTo(&s.form), !script.contains("done"));
        if (!script.join(' ').contains("insert"))  // the program's own change is not the editor's
            QCOMPARE(s.model().unsaved, list == start ? 0 : 1);
    }
};

TW_GUI_TEST(FixedListTest)
#include "fixedlist_test.moc"
