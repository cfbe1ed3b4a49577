// The program's questions label their buttons by what they do, and a
// dialog belongs to the window that asked for it.

#include "GraphWindowFixture.h"

#include "ui/KvQuestionBox.h"
#include "ui/report/GraphRichTextForm.h"

#include <QAbstractButton>

using namespace kv;
using namespace kv::test;

TEST(QuestionBox, ButtonsSayWhatTheyDo)
{
    using B = QMessageBox;
    const struct {
        const char* Text;
        QMessageBox::StandardButtons Buttons;
        std::vector<std::pair<QMessageBox::StandardButton, const char*>> Labels;
    } Cases[] = {
        {"Data have been modified!\nDo you really want to overwrite the data?", B::Yes | B::No,
         {{B::Yes, "Discard and Import"}, {B::No, "Cancel"}}},
        {"Data have been modified!\nDo you really want to clear all data?", B::Yes | B::No,
         {{B::Yes, "Discard and Clear"}, {B::No, "Cancel"}}},
        {"Data have been modified!\nDo you want to save?", B::Yes | B::No | B::Cancel,
         {{B::Yes, "Save"}, {B::No, "Discard"}, {B::Cancel, "Cancel"}}},
        {TGraphRichText::ModifiedQuestion, B::Yes | B::No | B::Cancel,
         {{B::Yes, "Save"}, {B::No, "Discard"}, {B::Cancel, "Cancel"}}},
        {TGraphRichText::ReplaceQuestion, B::Yes | B::Cancel, {{B::Yes, "Replace"}, {B::Cancel, "Cancel"}}},
    };
    for (const auto& C : Cases) {
        const auto Box = MakeQuestionBox(nullptr, QString(C.Text).replace('\r', '\n'), C.Buttons);
        EXPECT_EQ(Box->buttons().size(), static_cast<qsizetype>(C.Labels.size())) << C.Text;
        for (const auto& [Button, Label] : C.Labels) {
            ASSERT_NE(Box->button(Button), nullptr) << C.Text;
            EXPECT_EQ(Box->button(Button)->text().toStdString(), Label) << C.Text;
        }
    }
}

// A dialog started from a graph window belongs to it, so focus returns
// there and the next click does not land in the table.
TEST_F(GraphWindows, DialogsBelongToTheWindowThatAsked)
{
    Open();
    Fill(1, {1, 2, 3});
    Fill(2, {1, 4, 9});
    Plot(1, 1, 1, 2);
    Assign->RebuildGraphWindows();
    Form(1).show();
    Form(1).activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form(1)));
    EXPECT_EQ(Table->DialogParent(), &Form(1));
    Table->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Table.get()));
    EXPECT_EQ(Table->DialogParent(), Table.get());
}
