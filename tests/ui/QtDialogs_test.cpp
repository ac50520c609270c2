// The real Qt dialogs behind the dialog seam, driven offscreen: the open dialog takes typed names of files that do
// not exist and several existing files at once; Qt's own texts are Portuguese and the close question's S and N
// keys answer it.
#include "ui/Application.h"
#include "ui/DialogSeam.h"
#include "ui/OpenFileDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Runs `act` on the modal dialog once it is shown (the seam's calls block until it closes).
void WhenModal(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, qApp, [act = std::move(act)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            // Not up yet: look again on the next turn of its event loop.
            WhenModal(act);
            return;
        }
        QVERIFY(QTest::qWaitForWindowExposed(modal));
        act(modal);
    });
}

// Types into the open dialog's name field, as the user does once it has the focus, and confirms with Enter.
void TypeAndConfirm(QWidget *modal, const QString &text)
{
    auto *dialog = qobject_cast<TOpenFileDialog *>(modal);
    QVERIFY(dialog && dialog->FileNameEdit());
    dialog->FileNameEdit()->setFocus();
    QTest::keyClicks(dialog->FileNameEdit(), text);
    QTest::keyClick(dialog->FileNameEdit(), Qt::Key_Return);
}

} // namespace

class QtDialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void openDialogTakesTypedNames_data();
    void openDialogTakesTypedNames();
    void openDialogChoosesSeveralListedFiles();
    void openFilesThroughTheSeam();
    void questionKeysAndButtons_data();
    void questionKeysAndButtons();

private:
    QString Touch(const QString &name);
    QTemporaryDir m_dir;
    qvc::TFileDialogRequest Request(bool multiple) const;
};

void QtDialogsTest::initTestCase()
{
    qvc::SetUpApplication(*qApp);
    QVERIFY(m_dir.isValid());
    Touch(QStringLiteral("a.pas"));
    Touch(QStringLiteral("b.pas"));
}

QString QtDialogsTest::Touch(const QString &name)
{
    QFile file(m_dir.path() + QLatin1Char('/') + name);
    if (file.open(QIODevice::WriteOnly))
        file.write("unit x;\r\n");
    return file.fileName();
}

qvc::TFileDialogRequest QtDialogsTest::Request(bool multiple) const
{
    qvc::TFileDialogRequest request;
    request.Directory = m_dir.path();
    request.Filter = QStringLiteral("*.pas;*.dfm|*.pas;*.dfm|(*.*)|*.*");
    request.DefaultSuffix = QStringLiteral("pas");
    request.MultipleFiles = multiple;
    return request;
}

void QtDialogsTest::openDialogTakesTypedNames_data()
{
    QTest::addColumn<bool>("multiple");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("chosen");
    QTest::newRow("missing name without extension gets pas") << true << "novo" << QStringList { "novo.pas" };
    QTest::newRow("missing name keeps its extension") << true << "novo.dfm" << QStringList { "novo.dfm" };
    QTest::newRow("one existing file") << true << "a.pas" << QStringList { "a.pas" };
    QTest::newRow("two existing files") << true << "\"a.pas\" \"b.pas\"" << QStringList { "a.pas", "b.pas" };
    QTest::newRow("an existing and a missing file")
        << true << "\"a.pas\" \"novo\"" << QStringList { "a.pas", "novo.pas" };
    QTest::newRow("one file only: missing name") << false << "outro" << QStringList { "outro.pas" };
}

void QtDialogsTest::openDialogTakesTypedNames()
{
    QFETCH(bool, multiple);
    QFETCH(QString, typed);
    QFETCH(QStringList, chosen);
    TOpenFileDialog dialog;
    qvc::PrepareOpenDialog(dialog, Request(multiple));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QLineEdit *edit = dialog.FileNameEdit();
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClicks(edit, typed);
    // Enter in the name field, as the user confirms it: the Open button must not refuse the name.
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QStringList expected;
    for (const QString &name : chosen)
        expected << m_dir.path() + QLatin1Char('/') + name;
    QCOMPARE(dialog.ChosenFiles(), expected);
    QVERIFY(!QFile::exists(m_dir.path() + QStringLiteral("/novo.pas")));
}

void QtDialogsTest::openDialogChoosesSeveralListedFiles()
{
    TOpenFileDialog dialog;
    qvc::PrepareOpenDialog(dialog, Request(true));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *list = dialog.findChild<QAbstractItemView *>(QStringLiteral("listView"));
    QVERIFY(list);
    // The folder is read in the background: wait for both files, then pick them as Ctrl+clicks would.
    const auto indexOf = [list](const QString &name) {
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row)
            if (list->model()->index(row, 0, root).data().toString() == name)
                return list->model()->index(row, 0, root);
        return QModelIndex();
    };
    QTRY_VERIFY(indexOf(QStringLiteral("a.pas")).isValid() && indexOf(QStringLiteral("b.pas")).isValid());
    list->setFocus();
    list->selectionModel()->select(
        indexOf(QStringLiteral("a.pas")), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->selectionModel()->select(
        indexOf(QStringLiteral("b.pas")), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QStringList chosen = dialog.ChosenFiles();
    chosen.sort();
    QCOMPARE(
        chosen, (QStringList { m_dir.path() + QStringLiteral("/a.pas"), m_dir.path() + QStringLiteral("/b.pas") }));
}

void QtDialogsTest::openFilesThroughTheSeam()
{
    qvc::TQtDialogSeam seam;
    // Several existing files typed at once, then a missing one: each comes back as chosen.
    qvc::TFileDialogRequest request = Request(true);
    WhenModal([](QWidget *modal) { TypeAndConfirm(modal, QStringLiteral("\"b.pas\" \"a.pas\"")); });
    QCOMPARE(seam.OpenFiles(nullptr, request),
        (QStringList { m_dir.path() + QStringLiteral("/b.pas"), m_dir.path() + QStringLiteral("/a.pas") }));
    WhenModal([](QWidget *modal) { TypeAndConfirm(modal, QStringLiteral("Unit9")); });
    QCOMPARE(seam.OpenFiles(nullptr, request), QStringList { m_dir.path() + QStringLiteral("/Unit9.pas") });
    // Cancelled: nothing chosen.
    WhenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    QVERIFY(seam.OpenFiles(nullptr, request).isEmpty());
}

void QtDialogsTest::questionKeysAndButtons_data()
{
    QTest::addColumn<bool>("yesNoCancel");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("answer");
    QTest::newRow("close question, S") << true << int(Qt::Key_S) << int(qvc::TAnswer::Yes);
    QTest::newRow("close question, N") << true << int(Qt::Key_N) << int(qvc::TAnswer::No);
    QTest::newRow("close question, Escape") << true << int(Qt::Key_Escape) << int(qvc::TAnswer::Cancel);
    QTest::newRow("stop question, S") << false << int(Qt::Key_S) << int(qvc::TAnswer::Yes);
    QTest::newRow("stop question, N") << false << int(Qt::Key_N) << int(qvc::TAnswer::No);
    QTest::newRow("stop question, Escape") << false << int(Qt::Key_Escape) << int(qvc::TAnswer::No);
}

void QtDialogsTest::questionKeysAndButtons()
{
    QFETCH(bool, yesNoCancel);
    QFETCH(int, key);
    QFETCH(int, answer);
    qvc::TQtDialogSeam seam;
    QStringList buttons;
    WhenModal([&buttons, key](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QVERIFY(box);
        for (QAbstractButton *button : box->buttons())
            buttons << button->text();
        QTest::keyClick(box, Qt::Key(key));
    });
    const qvc::TAnswer got = yesNoCancel
        ? seam.Question(nullptr, QStringLiteral("ATENÇÃO !"), QStringLiteral("Deseja salva-lo (S/N) ?"))
        : seam.YesNo(nullptr, QStringLiteral("Conversão de Arquivos"), QStringLiteral("Interromper a conversão?"));
    QCOMPARE(int(got), answer);
    // Qt's own button texts in Portuguese, whose access keys are the S and N of the question.
    QVERIFY2(buttons.contains(QStringLiteral("&Sim")), qPrintable(buttons.join(QLatin1Char(','))));
    QVERIFY(buttons.contains(QStringLiteral("&Não")));
    QCOMPARE(buttons.contains(QStringLiteral("Cancelar")), yesNoCancel);
}

QTEST_MAIN(QtDialogsTest)
#include "QtDialogs_test.moc"
