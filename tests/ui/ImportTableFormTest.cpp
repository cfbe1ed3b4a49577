// The import dialog's preview and choices, and the table window's text
// import through it (Import, Open of a text file, paste, drop).

#include "ui/KvCellGrid.h"
#include "ui/MainTableForm.h"
#include "ui/table/ImportTableForm.h"

#include "document/KvTextDetect.h"
#include "foundation/KvMissing.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

QString Cell(const QTableWidget& T, int r, int k) { return T.item(r, k) ? T.item(r, k)->text() : QString(); }

TEST(ImportTableForm, PreviewShowsTheRowsAsTheyWillLandAndFollowsTheChoices)
{
    std::string Text = "# Messung\nZeit;U\n";
    for (int r = 0; r < 30; ++r)
        Text += std::to_string(r) + ",5;" + (r == 3 ? "NA" : std::to_string(r)) + "\n";
    TImportTableForm F(Text, DetectTextFormat(Text), 3, true);
    EXPECT_EQ(F.DelimiterBox()->currentData().toChar(), QChar(';'));
    EXPECT_EQ(F.DecimalBox()->currentData().toChar(), QChar(','));
    EXPECT_EQ(F.CommentBox()->currentText(), "#");
    EXPECT_EQ(F.FirstDataLine()->value(), 3);
    EXPECT_EQ(F.HeaderRows()->value(), 1);

    QTableWidget& P = *F.Preview();
    EXPECT_EQ(P.rowCount(), TImportTableForm::PreviewRows);
    ASSERT_EQ(P.columnCount(), 2);
    EXPECT_EQ(P.horizontalHeaderItem(0)->text(), "A\nZeit");
    EXPECT_EQ(Cell(P, 0, 0), "0.5");
    EXPECT_EQ(Cell(P, 3, 1), ""); // missing
    EXPECT_EQ(Cell(P, 19, 1), "19");
    EXPECT_EQ(F.Summary()->text(), "2 columns.");

    // a point as decimal separator: the fractions cannot be read, and it says so
    F.DecimalBox()->setCurrentIndex(0);
    EXPECT_EQ(Cell(P, 0, 0), "");
    EXPECT_NE(F.Summary()->text().indexOf("20 cells in these rows could not be read"), -1) << F.Summary()->text().toStdString();
    F.DecimalBox()->setCurrentIndex(1);

    // into the columns from C on: the preview's letters move along
    F.ColumnsButton()->setChecked(true);
    EXPECT_EQ(P.horizontalHeaderItem(0)->text(), "C\nZeit");
    EXPECT_EQ(F.Placement().Mode, TKvTextPlacement::TMode::IntoColumns);
    EXPECT_EQ(F.Placement().FirstColumn, 3);

    // no caption row: the caption line is skipped, the data stay
    F.HeaderRows()->setValue(0);
    EXPECT_EQ(P.horizontalHeaderItem(0)->text(), "C");
    EXPECT_EQ(Cell(P, 0, 0), "0.5");

    // another delimiter character
    F.DelimiterBox()->setCurrentIndex(F.DelimiterBox()->count() - 1);
    F.OtherDelimiter()->setText(";");
    const TKvTextFormat Chosen = F.Format();
    EXPECT_EQ(Chosen.Delimiter, ';');
    EXPECT_EQ(Chosen.Decimal, ',');
    EXPECT_EQ(Chosen.Comment, "#");
    EXPECT_EQ(Chosen.FirstDataLine, 2);
    EXPECT_EQ(Chosen.HeaderRows, 0);
}

TEST(ImportTableForm, NewDocumentOffersNoColumnChoice)
{
    TImportTableForm F("1 2\n", DetectTextFormat("1 2\n"), 1, false);
    EXPECT_TRUE(F.ColumnsButton()->isHidden() || !F.ColumnsButton()->isVisibleTo(&F));
    EXPECT_EQ(F.Placement().Mode, TKvTextPlacement::TMode::Replace);
}

class TextImportWindow : public testing::Test {
protected:
    fs::path Dir = fs::temp_directory_path() / ("kurvex-import-ui-" + std::to_string(::getpid()) + "-" +
                                               testing::UnitTest::GetInstance()->current_test_info()->name());
    TKvDocument Document;
    std::unique_ptr<TMainTableForm> Form;
    std::vector<QString> Questions, Errors, Infos;
    QString NextFile;
    QString NextFilter;
    std::function<void(TImportTableForm&)> OnDialog;
    int Dialogs = 0;

    void SetUp() override
    {
        fs::create_directories(Dir / "exe");
        const TKvPaths Paths =
            ComputePaths((Dir / "exe" / "kurvex").string(), (Dir / "appdata").string(), (Dir / "docs").string());
        Form = std::make_unique<TMainTableForm>(Document, Paths);
        auto& S = Form->Services;
        S.Ask = [this](const QString& Text, QMessageBox::StandardButtons) {
            Questions.push_back(Text);
            return QMessageBox::Yes;
        };
        S.ShowError = [this](const QString& Text) { Errors.push_back(Text); };
        S.ShowInfo = [this](const QString& Text) { Infos.push_back(Text); };
        S.OpenFileName = [this](const QString&, const QString&, const QString&, QString& Filter) {
            if (!NextFilter.isEmpty())
                Filter = NextFilter;
            return NextFile;
        };
        S.Beep = [] {};
        S.RunImportDialog = [this](TImportTableForm& Dialog) {
            ++Dialogs;
            if (OnDialog)
                OnDialog(Dialog);
            return true;
        };
    }
    void TearDown() override
    {
        Form.reset();
        fs::remove_all(Dir);
    }
    QString Write(const std::string& Name, const std::string& Text)
    {
        std::ofstream(Dir / Name, std::ios::binary) << Text;
        return QString::fromStdString((Dir / Name).string());
    }
    std::vector<double> Values(int k) const
    {
        const auto V = Document.Table.Data(k).Values();
        return {V.begin(), V.end()};
    }
};

TEST_F(TextImportWindow, ImportTableDetectsAndNamesTheUnreadableCells)
{
    Document.Table.Data(1).SetValue(0, 7);
    Document.Table.MarkModified();
    NextFile = Write("m.csv", "Zeit;U\n0,5;9,264\n1;3.4.5\n");
    Form->Import(); // the detecting filter is preselected
    EXPECT_EQ(Dialogs, 1);
    EXPECT_EQ(Questions.size(), 1u); // "Data have been modified!" before the file dialog, as before
    EXPECT_EQ(Values(1), (std::vector<double>{0.5, 1}));
    EXPECT_EQ(Values(2).size(), 1u);
    EXPECT_EQ(Document.Table.Column(2).Header, "U");
    ASSERT_EQ(Infos.size(), 1u);
    EXPECT_EQ(Infos[0], "1 cell could not be read and is left empty: row 2, column B: '3.4.5'");
    EXPECT_EQ(Form->StatusPanel(2)->text(), Infos[0]);
}

TEST_F(TextImportWindow, OpenOfATextFileIsAnUntitledDocument)
{
    Document.Table.CurrentFile = "/somewhere/old.plt";
    NextFile = Write("decay.dat", "# decay\n# t y\n0 1\n0.5 0.61\n");
    Form->Open();
    EXPECT_EQ(Dialogs, 1);
    EXPECT_EQ(Values(2), (std::vector<double>{1, 0.61}));
    EXPECT_TRUE(Document.Table.CurrentFile.empty());
    EXPECT_EQ(Document.RecentFiles.Count(), 0);
}

TEST_F(TextImportWindow, DropIntoColumnsAsksNothingAndKeepsTheOthers)
{
    Document.Table.Data(1).SetValue(0, 7);
    Document.Table.MarkModified();
    Form->Grid()->SetActiveCell(Document.Table.LockedRows, 2);
    OnDialog = [](TImportTableForm& D) { D.ColumnsButton()->setChecked(true); };
    EXPECT_TRUE(Form->DropTextTable(Write("d.txt", "1\t2\n3\t4\n")));
    EXPECT_TRUE(Questions.empty());
    EXPECT_EQ(Values(1), (std::vector<double>{7}));
    EXPECT_EQ(Values(2), (std::vector<double>{1, 3}));
    EXPECT_EQ(Values(3), (std::vector<double>{2, 4}));
    // replacing the table asks first
    OnDialog = nullptr;
    EXPECT_TRUE(Form->DropTextTable(Write("d.txt", "5\n")));
    EXPECT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Values(1), (std::vector<double>{5}));
    EXPECT_TRUE(Values(3).empty());
}

TEST_F(TextImportWindow, PasteOfATableWithCaptionsGoesThroughDetection)
{
    Form->Grid()->SetActiveCell(Document.Table.LockedRows, 1);
    QApplication::clipboard()->setText("# from the logger\nt\ty\n1\tNA\n2\t5\n");
    Form->EditPaste();
    EXPECT_EQ(Document.Table.Column(2).Header, "y");
    EXPECT_EQ(Values(1), (std::vector<double>{1, 2}));
    ASSERT_EQ(Values(2).size(), 2u);
    EXPECT_TRUE(IsMissing(Values(2)[0]));
    EXPECT_EQ(Values(2)[1], 5);
    // numbers only keep the paste rules: one cell per number
    QApplication::clipboard()->setText("8 9");
    Form->Grid()->SetActiveCell(Document.Table.LockedRows, 4);
    Form->EditPaste();
    EXPECT_EQ(Values(4), (std::vector<double>{8, 9}));
    EXPECT_EQ(Dialogs, 0);
}

TEST_F(TextImportWindow, BinaryFileIsRefusedWithAMessage)
{
    NextFile = Write("x.csv", std::string("\0\1\2PK", 5));
    Form->Open();
    EXPECT_EQ(Dialogs, 0);
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].indexOf("holds binary data"), -1);
}

} // namespace
