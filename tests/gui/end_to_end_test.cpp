// Whole roads as a user takes them: the engine run on a model file and the conversion
// of a capture-history file with the stand-in programs as real processes (blanks in
// program and file names, read back in the text viewer), and grid edits to the saved
// file read back. The roads' files are the core's tests.

#include "convert/widgets/form3.h"
#include "guitest.h"
#include "model/pimreader.h"
#include "support.h"

using namespace twtest;

namespace {

void copyTo(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).path());
    QVERIFY2(QFile::copy(from, to), qPrintable(from));
}

// Works in a directory with a blank in its name; real processes: no fake runner.
struct EndToEnd {
    QTemporaryDir top;
    QString previous = QDir::currentPath();
    EndToEnd()
    {
        QDir().mkpath(top.filePath("work dir"));
        QDir::setCurrent(top.filePath("work dir"));
    }
    ~EndToEnd()
    {
        qDeleteAll(topLevels<TextViewer>());
        QDir::setCurrent(previous);
    }
    QString path(const QString& name) const { return top.filePath(name); }
};

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void engineRunReadsItsOutputInTheViewer()
    {
        const QStringList errors{"line 9: KESTON ERROR: no \"PROC STOP;\" statement"};
        EndToEnd e;
        const QString engineDir = e.path("my engines/");
        copyTo(kBin + "corvane", engineDir + "corvane");
        const QString input = e.path("my models/two strata & $more.mss");
        QDir().mkpath(QFileInfo(input).path());
        QVERIFY(writeFile(input, bytes(TW_TEST_DATA "/runs/twostrata.mss").replace("PROC STOP;", "")));

        MainSession s;
        s.scripted.install.registered = engineDir + "tallowick2";
        s.form.updateInstallDirectory();
        s.answerFile(input);
        s.form.runEngine();

        QCOMPARE(s.dialogs.asked.size(), 2);  // the file and the error lines
        QCOMPARE(s.dialogs.asked[1].lines, errors);
        TextViewer* viewer = viewerOf(input + ".out");
        QVERIFY(viewer);
        QVERIFY(viewer->text().contains("Input file: " + input + "\n"));
    }

    // Grid edits that free a number in the middle: the save closes the gap, and every
    // cell still reads back with its parameter's design row.
    void designRowsStayWithTheirCellsAfterAGapIsClosed()
    {
        QTemporaryDir dir;
        MainSession s;
        QVERIFY(s.form.openPimFile(kExample));
        const Model before = s.model();
        s.form.viewSurvival();
        GridWindow* window = s.grids().at(0);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const std::vector<int>& cells = window->cellmap();

        // A parameter below the largest whose cells all lie in this window and whose
        // columns other rows use too (so that the columns keep their numbers).
        std::vector<int> cellsOf(std::size_t(largestParameter(before)) + 1, 0);
        std::vector<int> inWindow(cellsOf.size(), 0);
        std::vector<int> rowsInColumn(DesignMatrix::kMaxIndex + 1, 0);
        for (int i = 1; i <= before.npar; ++i)
            if (before.pim[std::size_t(i)] > 0)
                ++cellsOf[std::size_t(before.pim[std::size_t(i)])];
        for (int c : cells)
            if (c > 0 && before.pim[std::size_t(c)] > 0)
                ++inWindow[std::size_t(before.pim[std::size_t(c)])];
        for (const auto& entry : before.dm.entries())
            ++rowsInColumn[std::size_t(entry.col)];
        auto freeable = [&](int p) {
            if (p <= 1 || p >= int(cellsOf.size()) - 1 || cellsOf[std::size_t(p)] != inWindow[std::size_t(p)])
                return false;
            for (const auto& entry : before.dm.row(p))
                if (rowsInColumn[std::size_t(entry.col)] < 2)
                    return false;
            return true;
        };
        int freed = 0;
        for (int c : cells)
            if (c > 0 && freeable(before.pim[std::size_t(c)])) {
                freed = before.pim[std::size_t(c)];
                break;
            }
        QVERIFY(freed > 0);
        const int joined = 1;
        for (int gridCell = 0; gridCell < int(cells.size()); ++gridCell)
            if (cells[std::size_t(gridCell)] > 0 && before.pim[std::size_t(cells[std::size_t(gridCell)])] == freed) {
                window->toggleMark(gridCell);
                window->typeText(gridCell, QString::number(joined));
            }

        const QString saved = dir.filePath("saved.inp");
        s.answerFile(saved);
        s.action("menu_savepims")->trigger();
        QCOMPARE(s.dialogs.messages(), QStringList());
        auto back = readPimFile(saved.toStdString());
        QVERIFY2(back.ok(), back.ok() ? "" : back.error().text().c_str());
        QCOMPARE(largestParameter(*back), largestParameter(before) - 1);
        auto row = [](const Model& m, int p) {
            std::vector<std::pair<int, double>> entries;
            for (const auto& entry : m.dm.row(p))
                entries.emplace_back(entry.col, entry.value);
            return entries;
        };
        for (int i = 1; i <= before.npar; ++i) {
            const int was = before.pim[std::size_t(i)] == freed ? joined : before.pim[std::size_t(i)];
            if (was > 0)
                QVERIFY2(row(*back, back->pim[std::size_t(i)]) == row(before, was), qPrintable(QString::number(i)));
        }
    }

    void conversionWritesTheListing()
    {
        EndToEnd e;
        ScriptedPlatform scripted;
        const QString installDir = e.path("my tools");
        copyTo(kBin + "hadleck", installDir + "/hadleck");
        const QString captures = e.path("raw data/captures; 2024.cap");
        copyTo(TW_SOURCE_DIR "/examples/captures.cap", captures);

        Form3 form(scripted.platform, [&] { return installDir; });
        form.show();
        form.findChild<QLineEdit*>("txt_infile")->setText(captures);
        form.convert();

        QVERIFY(scripted.dialogs.messages().isEmpty());
        QVERIFY(QFile::exists("vostel4.tm2"));
        TextViewer* viewer = viewerOf("hadleck.out");
        QVERIFY(viewer);
        const QString listing = viewer->text();
        QVERIFY(listing.contains("  Input file: " + captures + "\n"));  // its other lines: the tool's tests
        // The engine input file is written where the program runs, named after the histories.
        QVERIFY(listing.contains("Engine input file: " + e.path("work dir/captures; 2024.inp") + "\n"));
        QVERIFY(readPimFile(e.path("work dir/captures; 2024.inp").toStdString()).ok());
    }
};

TW_GUI_TEST(EndToEndTest)
#include "end_to_end_test.moc"
