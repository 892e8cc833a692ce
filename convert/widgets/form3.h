#pragma once
// The capture-history conversion dialog: collects the description of a raw
// capture-history file, checks it, writes the converter's answer file, runs the
// converter on it and shows the converter's listing. A non-modal window that stays
// open after a conversion, so that answers can be corrected and converted again; it
// does not touch the model.

#include <QWidget>
#include <functional>

#include "convert/answercheck.h"
#include "convert/answerfile.h"
#include "platform/platform.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tw {

/// Form3: the capture-history conversion dialog.
class Form3 : public QWidget {
    Q_OBJECT

public:
    /// installationDirectory gives the directory searched for the converter after the
    /// current one (the installation directory at the time of Convert).
    Form3(Platform& platform, std::function<QString()> installationDirectory, QWidget* parent = nullptr);

    /// Gives the name of the model file the main window read: the files the dialog
    /// writes must not be that file.
    void setModelFile(std::function<std::string()> modelFile) { m_modelFile = std::move(modelFile); }

    /// The fields as typed.
    ConversionAnswers answers() const;
    /// The label shown beside a field.
    QLabel* labelOf(QWidget* field) const;

public slots:
    void browse();
    void viewInput();
    /// Checks the answers, writes the listing and answer files, runs the converter and
    /// shows its listing; the dialog stays open with its answers. Stops with a message
    /// before anything is written or run when an answer cannot be used (naming its field,
    /// which gets the focus), the converter is missing or a file cannot be written.
    void convert();

private:
    QLineEdit* addField(AnswerField answer, const QString& text, bool shown);
    void showProblem(const AnswerProblem& problem);
    void setFieldShown(QWidget* field, bool shown);
    void strataChanged();
    void periodsChanged();
    void parameterizationChanged();
    /// The converter in the current directory, else in the installation directory;
    /// empty when neither holds it.
    QString findConverter() const;
    /// Refuses (with a message) when a file the dialog writes is one it reads.
    bool filesAreFree(const ConversionAnswers& answers);

    // Fields and buttons, found by the tests through their object names.
    QLineEdit* txt_infile = nullptr;
    QLineEdit* txt_strata = nullptr;
    QLineEdit* txt_tper = nullptr;
    QLineEdit* txt_agecl = nullptr;
    QLineEdit* txt_grps = nullptr;
    QLineEdit* txt_mpcodes = nullptr;
    QLineEdit* txt_scodes = nullptr;
    QLineEdit* txt_icol1 = nullptr;
    QLineEdit* txt_fatec = nullptr;
    QLineEdit* txt_iagec = nullptr;
    QLineEdit* txt_acodes = nullptr;
    QLineEdit* txt_aicodes = nullptr;
    QLineEdit* txt_grpscol = nullptr;
    QLineEdit* txt_gcodes = nullptr;
    QLineEdit* txt_obsc1 = nullptr;
    QLineEdit* txt_obsc2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QLineEdit* txt_phimiss = nullptr;
    QLineEdit* txt_title = nullptr;
    QPushButton* cmd_browse = nullptr;
    QPushButton* cmd_view = nullptr;
    QPushButton* cmd_cnvt = nullptr;

    Platform& m_platform;
    std::function<QString()> m_installationDirectory;
    std::function<std::string()> m_modelFile;
    QList<QPair<QWidget*, QLabel*>> m_labels;
    QGridLayout* m_grid = nullptr;
};

}  // namespace tw
