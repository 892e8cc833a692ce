#include "convert/widgets/form3.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "convert/answercheck.h"
#include "convert/conversionrules.h"
#include "model/atomicfile.h"
#include "model/paths.h"
#include "model/textrules.h"
#include "runs/enginerun.h"
#include "runs/widgets/textviewer.h"

namespace tw {

namespace {

constexpr const char* kTitle = "Convert capture-history data to CORVANE input";

double valueOf(const QLineEdit* field)
{
    return decimalValueOr0(field->text().toStdString());
}

QString inCurrentDirectory(const char* name)
{
    return QDir::current().absoluteFilePath(QString::fromLatin1(name));
}

bool isProgram(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

}  // namespace

Form3::Form3(Platform& platform, std::function<QString()> installationDirectory, QWidget* parent)
    : QWidget(parent, Qt::Window), m_platform(platform), m_installationDirectory(std::move(installationDirectory))
{
    setObjectName("Form3");
    setWindowTitle(kTitle);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    m_grid = new QGridLayout;
    layout->addLayout(m_grid);

    txt_infile = addField(AnswerField::infile, "", true);
    txt_infile->setMinimumWidth(360);
    txt_strata = addField(AnswerField::strata, "6", true);
    txt_tper = addField(AnswerField::tper, "4", true);
    txt_agecl = addField(AnswerField::agecl, "1", true);
    txt_grps = addField(AnswerField::grps, "1", true);
    txt_mpcodes = addField(AnswerField::mpcodes, "1010", true);
    txt_scodes = addField(AnswerField::scodes, "123456", true);
    txt_icol1 = addField(AnswerField::icol1, "1", true);
    txt_fatec = addField(AnswerField::fatec, "0", true);
    txt_iagec = addField(AnswerField::iagec, "1", true);
    txt_acodes = addField(AnswerField::acodes, "a", false);
    txt_aicodes = addField(AnswerField::aicodes, "1", false);
    txt_grpscol = addField(AnswerField::grpscol, "1", false);
    txt_gcodes = addField(AnswerField::gcodes, "", false);
    txt_obsc1 = addField(AnswerField::obsc1, "0", true);
    txt_obsc2 = addField(AnswerField::obsc2, "20", false);

    Option1 = new QRadioButton("Phi parameterization", this);
    Option1->setObjectName("Option1");
    Option2 = new QRadioButton("S-Psi parameterization", this);
    Option2->setObjectName("Option2");
    Option2->setChecked(true);
    const int optionRow = m_grid->rowCount();
    m_grid->addWidget(Option1, optionRow, 0);
    m_grid->addWidget(Option2, optionRow, 1);

    txt_phimiss = addField(AnswerField::phimiss, "0", true);
    txt_title = addField(AnswerField::title, "title", true);

    auto* buttons = new QHBoxLayout;
    cmd_browse = new QPushButton("Browse for input file", this);
    cmd_browse->setObjectName("cmd_browse");
    cmd_view = new QPushButton("View Input file", this);
    cmd_view->setObjectName("cmd_view");
    cmd_cnvt = new QPushButton("Convert capture-history data to CORVANE input", this);
    cmd_cnvt->setObjectName("cmd_cnvt");
    for (QPushButton* button : {cmd_browse, cmd_view, cmd_cnvt})
        buttons->addWidget(button);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(cmd_browse, &QPushButton::clicked, this, &Form3::browse);
    connect(cmd_view, &QPushButton::clicked, this, &Form3::viewInput);
    connect(cmd_cnvt, &QPushButton::clicked, this, &Form3::convert);
    // The visibility rules run when a field changes, not on opening.
    connect(txt_agecl, &QLineEdit::textChanged, this, [this] {
        const bool shown = showsAgeFields(valueOf(txt_agecl));
        setFieldShown(txt_acodes, shown);
        setFieldShown(txt_aicodes, shown);
    });
    connect(txt_grps, &QLineEdit::textChanged, this, [this] {
        const bool shown = showsGroupFields(valueOf(txt_grps));
        setFieldShown(txt_gcodes, shown);
        setFieldShown(txt_grpscol, shown);
    });
    connect(txt_obsc1, &QLineEdit::textChanged, this,
            [this] { setFieldShown(txt_obsc2, showsFrequencyEnd(valueOf(txt_obsc1))); });
    connect(txt_strata, &QLineEdit::textChanged, this, &Form3::strataChanged);
    connect(txt_tper, &QLineEdit::textChanged, this, &Form3::periodsChanged);
    connect(Option1, &QRadioButton::clicked, this, &Form3::parameterizationChanged);
    connect(Option2, &QRadioButton::clicked, this, &Form3::parameterizationChanged);
}

QLineEdit* Form3::addField(AnswerField answer, const QString& text, bool shown)
{
    const QString name = QString::fromUtf8(fieldName(answer));
    auto* field = new QLineEdit(text, this);
    field->setObjectName(name);
    auto* caption = new QLabel(QString::fromUtf8(fieldLabel(answer)), this);
    caption->setObjectName("lbl_" + name.mid(4));
    caption->setBuddy(field);
    const int row = m_grid->rowCount();
    m_grid->addWidget(caption, row, 0);
    m_grid->addWidget(field, row, 1);
    m_labels.append({field, caption});
    setFieldShown(field, shown);
    return field;
}

QLabel* Form3::labelOf(QWidget* field) const
{
    for (const auto& [shownField, label] : m_labels)
        if (shownField == field)
            return label;
    return nullptr;
}

void Form3::setFieldShown(QWidget* field, bool shown)
{
    field->setVisible(shown);
    if (QLabel* label = labelOf(field))
        label->setVisible(shown);
}

void Form3::strataChanged()
{
    const std::string codes = txt_scodes->text().toStdString();
    const std::string cut = cutStrataCodes(codes, valueOf(txt_strata));
    if (cut != codes)
        txt_scodes->setText(QString::fromStdString(cut));
}

void Form3::periodsChanged()
{
    txt_mpcodes->setText(QString::fromStdString(timeIncrementCodes(valueOf(txt_tper))));
}

void Form3::parameterizationChanged()
{
    setFieldShown(txt_phimiss, Option2->isChecked());
}

ConversionAnswers Form3::answers() const
{
    ConversionAnswers a;
    const auto text = [](const QLineEdit* field) { return field->text().toStdString(); };
    a.infile = text(txt_infile);
    a.strata = text(txt_strata);
    a.tper = text(txt_tper);
    a.agecl = text(txt_agecl);
    a.grps = text(txt_grps);
    a.mpcodes = text(txt_mpcodes);
    a.scodes = text(txt_scodes);
    a.icol1 = text(txt_icol1);
    a.fatec = text(txt_fatec);
    a.iagec = text(txt_iagec);
    a.acodes = text(txt_acodes);
    a.aicodes = text(txt_aicodes);
    a.grpscol = text(txt_grpscol);
    a.gcodes = text(txt_gcodes);
    a.obsc1 = text(txt_obsc1);
    a.obsc2 = text(txt_obsc2);
    a.sPsi = Option2->isChecked();
    a.phimiss = text(txt_phimiss);
    a.title = text(txt_title);
    return a;
}

void Form3::browse()
{
    // "*" is every file on this system (a "*.*" pattern would hide names without a dot).
    const auto chosen = m_platform.dialogs.openFile(this, "Browse for input file", "*", QDir::currentPath());
    if (!chosen || chosen->isEmpty())
        return;
    txt_infile->setText(*chosen);
    txt_title->setText(*chosen);
}

void Form3::viewInput()
{
    if (txt_infile->text().isEmpty()) {
        m_platform.dialogs.message(this, "Tallowick2", "Type or browse for an input file first.", Severity::Warning);
        return;
    }
    TextViewer::showFile(m_platform, txt_infile->text());
}

QString Form3::findConverter() const
{
    const QString local = inCurrentDirectory(kConverterProgram);
    if (isProgram(local))
        return local;
    const QString installed =
        QString::fromStdString(programIn(m_installationDirectory().toStdString(), kConverterProgram));
    if (!m_installationDirectory().isEmpty() && isProgram(installed))
        return QFileInfo(installed).absoluteFilePath();
    return {};
}

bool Form3::filesAreFree(const ConversionAnswers& answers)
{
    const std::vector<std::string> inputs = {answers.infile, m_modelFile ? m_modelFile() : std::string()};
    for (const char* name : {kConverterListing, kAnswerFile, kConverterOutput}) {
        const Status free = checkFixedNameFile(inCurrentDirectory(name).toStdString(), inputs);
        if (!free) {
            m_platform.dialogs.message(this, "Tallowick2", QString::fromStdString(free.error().text()),
                                       Severity::Warning);
            return false;
        }
    }
    return true;
}

void Form3::showProblem(const AnswerProblem& problem)
{
    m_platform.dialogs.message(this, "Tallowick2", QString::fromStdString(problem.message), Severity::Warning);
    if (auto* field = findChild<QLineEdit*>(QString::fromUtf8(fieldName(problem.field)))) {
        field->setFocus();
        field->selectAll();
    }
}

void Form3::convert()
{
    ConversionAnswers answers = this->answers();
    if (const auto problem = firstAnswerProblem(answers)) {
        showProblem(*problem);
        return;
    }
    const auto extended = extendTimeIncrements(answers.mpcodes, valueOf(txt_tper));
    if (!extended) {
        m_platform.dialogs.message(this, "Tallowick2", QString::fromStdString(extended.error().text()),
                                   Severity::Warning);
        return;
    }
    const QString converter = findConverter();
    if (converter.isEmpty()) {
        m_platform.dialogs.message(this, "Tallowick2",
                                   QString("The converter %1 was found neither in the current directory (%2) nor "
                                           "in the installation directory (%3). Put it in one of them, or choose "
                                           "the folder of the outside programs with \"Set CORVANE location\u2026\" "
                                           "in the File menu.")
                                       .arg(kConverterProgram, QDir::currentPath(), m_installationDirectory()),
                                   Severity::Warning);
        return;
    }
    answers.mpcodes = *extended;
    txt_mpcodes->setText(QString::fromStdString(*extended));
    if (!filesAreFree(answers))
        return;

    const QString listing = inCurrentDirectory(kConverterListing);
    const QString answerFile = inCurrentDirectory(kAnswerFile);
    Status written = saveAtomically(listing.toStdString(), [](std::ostream& out) -> Status {
        out << " \r\n";
        return {};
    });
    if (written)
        written = saveAtomically(answerFile.toStdString(),
                                 [&](std::ostream& out) { return writeAnswerFile(out, answers); });
    // The converter's standard output replaces its file only once the converter ended.
    auto output = written ? PendingSave::create(inCurrentDirectory(kConverterOutput).toStdString())
                          : Result<PendingSave>(written.error());
    if (!output) {
        m_platform.dialogs.message(this, "Tallowick2", QString::fromStdString(output.error().text()),
                                   Severity::Critical);
        return;
    }

    // The title names the last command run, once however often Convert is used.
    setWindowTitle(QString(kTitle) + "(" + converter + " <" + kAnswerFile + " >" + kConverterOutput + ")");
    ProcessRequest request;
    request.program = converter;
    request.standardInputFile = answerFile;
    request.standardOutputFile = QString::fromStdString(output->temporaryPath());
    request.description = kConverterProgram;
    const ProcessResult result = m_platform.processes.runAndWait(this, request);
    if (!result.started) {
        m_platform.dialogs.message(
            this, "Tallowick2", QString("The converter %1 could not be started (%2).").arg(converter, result.errorText),
            Severity::Critical);
        return;
    }
    if (result.cancelled) {
        m_platform.dialogs.message(this, "Tallowick2", QString::fromStdString(cancelledMessage(kConverterProgram)));
        return;
    }
    if (const Status kept = output->commit(); !kept)
        m_platform.dialogs.message(this, "Tallowick2", QString::fromStdString(kept.error().text()),
                                   Severity::Critical);
    TextViewer::showFile(m_platform, listing);
}

}  // namespace tw
