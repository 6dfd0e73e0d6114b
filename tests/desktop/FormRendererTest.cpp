// The generic form renderer with real widgets: the Playback Rate and Request Msg forms shown
// modally, changed and confirmed through their widgets, a refused edit box, checks on change
// and on leaving, check grids, and a dialog that follows changes the serial poll makes while
// it is open, with timers of its own beside the main window's.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include "DesktopTest.h"
#include "forms/Form.h"
#include "app/FrameCommands.h"
#include "ids/CommandIds.h"
#include "logging/PlaybackRateForm.h"
#include "maintenance/AlmanacForm.h"

namespace orv::test {

namespace {
class RecordingBoxes : public MessageBoxes {
 public:
  void MessageBox(const std::string& text, const std::string&, MessageIcon) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

// Runs `user` on the modal dialog once it is up. A failed check returns from `user` with the
// dialog still open: it is closed then, so that the test ends instead of waiting forever.
void WhenModalUp(std::function<void(QWidget*)> user) {
  QTimer::singleShot(0, [user] {
    QWidget* dialog = QApplication::activeModalWidget();
    QVERIFY(dialog != nullptr);
    QPointer<QWidget> guard(dialog);
    user(dialog);
    if (QTest::currentTestFailed() && guard) qobject_cast<QDialog*>(guard.data())->done(QDialog::Rejected);
  });
}

QLabel* LabelWithText(QWidget* dialog, const QString& text) {
  for (QLabel* l : dialog->findChildren<QLabel*>()) {
    if (l->text() == text) return l;
  }
  return nullptr;
}

// Moves the focus as the Tab key does; the dialog is made the active window first, as focus
// events only reach an active one.
bool TabTo(QWidget* dialog, QWidget* target) {
  dialog->activateWindow();
  if (!QTest::qWaitForWindowActive(dialog)) return false;
  target->setFocus(Qt::TabFocusReason);
  return target->hasFocus();
}

int FileManagerPolls(const FakePort& port) {
  int polls = 0;
  for (const std::vector<uint8_t>& frame : port.sent) polls += frame.size() > 4 && (frame[1] & 0x7F) == 70 && frame[4] == 1;
  return polls;
}

QPushButton* ButtonNamed(QWidget* dialog, const QString& text) {
  for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
    if (b->text() == text) return b;
  }
  return nullptr;
}
}  // namespace

class FormRendererTest : public QObject {
  Q_OBJECT

 private slots:
  // A name typed without an extension gets the default one, when opening and when saving.
  void fileDialogsAddTheDefaultExtension() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    QTemporaryDir dir;
    QFile existing(dir.filePath("run1.log"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    const FileDialogRequest request{"log", "Log Files (*.log) |*.log|All Files (*.*) |*.*||",
                                    dir.filePath("other.log").toStdString()};
    const auto typeAndAccept = [](const QString& name) {
      WhenModalUp([name](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        QVERIFY(files != nullptr);
        QCOMPARE(files->nameFilters(), QStringList({"Log Files (*.log)", "All Files (*)"}));
        QCOMPARE(files->defaultSuffix(), QString("log"));
        files->selectFile(name);
        static_cast<QDialog*>(files)->accept();  // as the Open or Save button does
      });
    };
    typeAndAccept("run1");
    QCOMPARE(runner->OpenFile(nullptr, request), std::optional<std::string>(dir.filePath("run1.log").toStdString()));
    typeAndAccept("run2");
    QCOMPARE(runner->SaveFile(nullptr, request), std::optional<std::string>(dir.filePath("run2.log").toStdString()));
    WhenModalUp([](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->reject(); });
    QCOMPARE(runner->OpenFile(nullptr, request), std::optional<std::string>());
  }

  void playbackRateThroughItsWidgets() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    PlaybackRateForm rate(1000);
    RecordingBoxes boxes;
    WhenModalUp([](QWidget* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Playback Rate"));
      QSlider* slider = dialog->findChild<QSlider*>();
      QVERIFY(slider != nullptr);
      QCOMPARE(slider->value(), 1000);
      QCOMPARE(slider->maximum(), 5000);
      QCOMPARE(slider->pageStep(), 100);
      QCOMPARE(slider->tickInterval(), 500);
      slider->setValue(2345);
      for (QRadioButton* r : dialog->findChildren<QRadioButton*>()) {
        if (r->text() == "Rate/100") r->click();
      }
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, rate.form(), boxes));
    QCOMPARE(rate.BytesPerTick(), 23u);
  }

  // The port dialog offers only some ports; Auto Connect steps on a timer of its own.
  void disabledChoicesAndTheFormsOwnTimers() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    Form form("Timed");
    form.AddRadioGroup(101, "", {"A", "B"}, 0);
    form.SetOptionEnabled(101, 1, false);
    form.AddLabel(102, "none yet");
    form.AddButton(103, "Start");
    form.AddOkCancel();
    int fired = 0;
    form.OnButton(103, [](Form& f) {
      f.SetTimer(24, 10);
      return FormAction::None;
    });
    form.OnTimer([&fired](Form& f, int id) {
      if (id != 24) return;
      f.SetLabel(102, std::to_string(++fired));
      if (fired == 3) f.KillTimer(24);
    });
    RecordingBoxes boxes;
    WhenModalUp([](QWidget* dialog) {
      const QList<QRadioButton*> radios = dialog->findChildren<QRadioButton*>();
      QCOMPARE(radios.size(), 2);
      QVERIFY(radios[0]->isEnabled());
      QVERIFY(!radios[1]->isEnabled());
      QLabel* status = nullptr;
      for (QLabel* l : dialog->findChildren<QLabel*>()) {
        if (l->text() == "none yet") status = l;
      }
      QVERIFY(status != nullptr);
      ButtonNamed(dialog, "Start")->click();
      QTRY_COMPARE_WITH_TIMEOUT(status->text(), QString("3"), 2000);
      QTest::qWait(100);  // killed after the third event
      QCOMPARE(status->text(), QString("3"));
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, form, boxes));
    QCOMPARE(fired, 3);
  }

  // The almanac dialog keeps GLONASS in its group without showing it.
  void almanacDialogShowsGpsAndGicOnly() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    AlmanacForm dialog("/data", nullptr);
    RecordingBoxes boxes;
    WhenModalUp([](QWidget* d) {
      QStringList shown;
      for (QRadioButton* r : d->findChildren<QRadioButton*>()) {
        if (r->isVisible()) shown << r->text();
      }
      QCOMPARE(shown, (QStringList{"GPS", "GIC"}));
      QLineEdit* name = d->findChild<QLineEdit*>();
      QVERIFY(name != nullptr);
      QCOMPARE(name->text(), QString("/data/"));
      QVERIFY(ButtonNamed(d, "Browse") != nullptr);
      ButtonNamed(d, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, dialog.form(), boxes));
    QCOMPARE(dialog.svType(), 1);
  }

  void requestModeCancelledByEscape() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    Form form = MakeRequestModeForm("LLH Solution Request (20)");
    RecordingBoxes boxes;
    WhenModalUp([](QWidget* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("LLH Solution Request (20)"));
      const QList<QRadioButton*> radios = dialog->findChildren<QRadioButton*>();
      QCOMPARE(radios.size(), 2);
      QVERIFY(radios[1]->isChecked());  // "Continuous"
      QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QVERIFY(!runner->RunForm(nullptr, form, boxes));
  }

  void anEditOutOfRangeKeepsTheDialogOpenWithTheStandardMessage() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    Form form("Limits");
    FormField& edit = form.AddEdit(5, "Value:", EditKind::Integer, "7");
    edit.hasRange = true;
    edit.min = 0;
    edit.max = 15;
    form.AddOkCancel();
    RecordingBoxes boxes;
    WhenModalUp([&boxes](QWidget* dialog) {
      QLineEdit* line = dialog->findChild<QLineEdit*>();
      line->clear();
      QTest::keyClicks(line, "16");
      ButtonNamed(dialog, "OK")->click();
      QCOMPARE(boxes.texts.size(), std::size_t{1});
      QVERIFY(dialog->isVisible());
      line->clear();
      QTest::keyClicks(line, "15");
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, form, boxes));
    QCOMPARE(form.IntValue(5).value_or(-1), 15);
  }

  // The serial poll runs in a timer of the main window's, outside the dialog's own events:
  // what it changes in the form shows at once.
  void progressStatusAndFileListFollowThePollWhileOpen() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    Form form("File Download");
    form.AddLabel(11, "Idle").lines = 2;
    form.AddProgress(12, "Progress", 0, 65535);
    form.AddCombo(13, "Files", {});
    form.AddOkCancel();
    bool okRan = false;
    form.OnOk([&okRan](Form&) { okRan = true; });
    int answers = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (++answers == 1) {
        form.SetLabel(11, "Download Initiated\n\rSelect start and click send to begin download");
        form.SetProgressRange(12, 1, 70000);
      }
      form.SetProgress(12, static_cast<uint32_t>(answers) * 10000);
      std::vector<std::string> files = form.field(13)->options;
      files.push_back("FILE" + std::to_string(answers) + ".LOG");
      form.SetOptions(13, std::move(files));
      if (answers == 3) poll.stop();
    });
    RecordingBoxes boxes;
    WhenModalUp([&](QWidget* dialog) {
      auto* bar = dialog->findChild<QProgressBar*>();
      auto* files = dialog->findChild<QComboBox*>();
      QLabel* status = LabelWithText(dialog, "Idle");
      QVERIFY(bar != nullptr && files != nullptr && status != nullptr);
      const int height = status->height();
      QVERIFY(height >= 2 * status->fontMetrics().lineSpacing());
      poll.start(5);
      QTRY_COMPARE(bar->value(), 30000);
      QCOMPARE(bar->minimum(), 1);
      QCOMPARE(bar->maximum(), 70000);
      QCOMPARE(status->text(), QString("Download Initiated\nSelect start and click send to begin download"));
      QCOMPARE(status->height(), height);  // the room was kept: nothing moved
      QCOMPARE(files->count(), 3);
      QCOMPARE(files->itemText(2), QString("FILE3.LOG"));
      form.RequestClose(FormAction::Ok);  // the last answer is in
    });
    QVERIFY(runner->RunForm(nullptr, form, boxes));
    QVERIFY(!okRan);  // a requested close is not the user's OK
    QVERIFY(boxes.texts.empty());
  }

  void aGridOf127BoxesFillsItsColumnsTopToBottom() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    std::vector<std::string> labels;
    for (int i = 0; i < 127; ++i) labels.push_back("Msg " + std::to_string(i + 1));
    Form form("Message Selection");
    form.AddCheckGrid(11, "Messages", labels, 8);
    form.AddOkCancel();
    // The last box is offered once the first is checked.
    form.SetRules([](Form& f) { f.SetOptionEnabled(11, 126, f.BoxChecked(11, 0)); });
    RecordingBoxes boxes;
    WhenModalUp([&](QWidget* dialog) {
      auto* group = dialog->findChild<QGroupBox*>();
      QVERIFY(group != nullptr);
      QCOMPARE(group->title(), QString("Messages"));
      auto* cells = qobject_cast<QGridLayout*>(group->layout());
      QVERIFY(cells != nullptr);
      QCOMPARE(cells->columnCount(), 8);
      QCOMPARE(cells->rowCount(), 16);
      std::vector<QCheckBox*> byIndex(127, nullptr);
      for (QCheckBox* box : group->findChildren<QCheckBox*>()) {
        const int i = box->text().mid(4).toInt() - 1;
        QVERIFY(i >= 0 && i < 127);
        byIndex[static_cast<std::size_t>(i)] = box;
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        cells->getItemPosition(cells->indexOf(box), &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(row, i % 16);
        QCOMPARE(column, i / 16);
      }
      QVERIFY(!byIndex[126]->isEnabled());
      byIndex[0]->click();
      QVERIFY(form.BoxChecked(11, 0));
      QVERIFY(byIndex[126]->isEnabled());  // the rule ran and the grid followed
      form.SetAllBoxes(11, true);
      for (QCheckBox* box : byIndex) QVERIFY(box->isChecked());
      byIndex[40]->click();
      form.SetEnabled(11, false);
      QVERIFY(!byIndex[3]->isEnabled());
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, form, boxes));
    QCOMPARE(form.CheckedBoxes(11).size(), std::size_t{126});
    QVERIFY(!form.BoxChecked(11, 40));
  }

  // The aux rate is checked when the focus leaves it, the mask angle on every change; both
  // put a good value back. The focus leaving with the window is not the user leaving.
  void checksOnLeavingAndOnChangeShowTheirMessageAndPutTheTextBack() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    Form form("Receiver Parameters");
    FormField& aux = form.AddEdit(11, "Aux Baud Rate", EditKind::Unsigned, "9600");
    aux.checkTime = CheckTime::OnLeave;
    aux.resetText = "9600";
    aux.check = [](const Form& f) {
      return *f.IntValue(11) % 300 != 0 ? std::string("Auxiliary Baud Rate should be a multiple of 300.") : std::string();
    };
    FormField& mask = form.AddEdit(12, "Mask Angle", EditKind::Integer, "5");
    mask.checkTime = CheckTime::OnChange;
    mask.hasRange = true;
    mask.max = 15;
    mask.resetText = "0";
    form.AddOkCancel();
    RecordingBoxes boxes;
    WhenModalUp([&](QWidget* dialog) {
      const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
      QCOMPARE(edits.size(), 2);
      QVERIFY(TabTo(dialog, edits[0]));
      edits[0]->selectAll();
      QTest::keyClicks(edits[0], "9601");
      QVERIFY(boxes.texts.empty());
      {
        QMessageBox other(QMessageBox::Information, "Other", "Another window", QMessageBox::Ok, dialog);
        QTimer::singleShot(50, &other, &QMessageBox::accept);
        other.exec();
      }
      QVERIFY(boxes.texts.empty());
      QVERIFY(TabTo(dialog, edits[1]));
      QCOMPARE(boxes.texts, std::vector<std::string>{"Auxiliary Baud Rate should be a multiple of 300."});
      QCOMPARE(edits[0]->text(), QString("9600"));
      edits[1]->selectAll();
      QTest::keyClicks(edits[1], "16");
      QCOMPARE(boxes.texts.back(), std::string("Please enter an integer between 0 and 15."));
      QCOMPARE(edits[1]->text(), QString("0"));
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, form, boxes));
    QCOMPARE(boxes.texts.size(), std::size_t{2});
    QCOMPARE(form.IntValue(11).value_or(-1), 9600);
  }

  // A Send button works and leaves the dialog open; so does an OK whose handler says so.
  void sendAndAnOkThatWaitsKeepTheDialogOpen() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    Form form("Memory Load");
    form.AddEdit(11, "Address", EditKind::Hex, "zz").maxChars = 8;
    form.AddLabel(12, "Ready");
    form.AddButton(13, "Send");
    form.AddOkCancel();
    int sends = 0, oks = 0;
    form.OnButton(13, [&sends](Form& f) {
      if (f.CheckFields()) f.SetLabel(12, "Sent " + std::to_string(++sends));
      return FormAction::None;
    });
    form.OnButton(kFormOk, [&oks](Form&) { return ++oks < 2 ? FormAction::None : FormAction::Ok; });
    RecordingBoxes boxes;
    WhenModalUp([&](QWidget* dialog) {
      auto* address = dialog->findChild<QLineEdit*>();
      QLabel* status = LabelWithText(dialog, "Ready");
      QVERIFY(TabTo(dialog, ButtonNamed(dialog, "Send")));
      ButtonNamed(dialog, "Send")->click();
      QCOMPARE(boxes.texts, std::vector<std::string>{"Please enter a hexadecimal number."});
      QVERIFY(address->hasFocus());  // back to the field the send needs
      address->selectAll();
      QTest::keyClicks(address, "1F00");
      ButtonNamed(dialog, "Send")->click();
      ButtonNamed(dialog, "Send")->click();
      QVERIFY(dialog->isVisible());
      QCOMPARE(status->text(), QString("Sent 2"));
      ButtonNamed(dialog, "OK")->click();
      QVERIFY(dialog->isVisible());
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, form, boxes));
    QCOMPARE(sends, 2);
    QCOMPARE(oks, 2);
    QCOMPARE(form.HexValue(11), std::optional<uint64_t>(0x1F00));
  }

  // A file edit's button sits on the edit's row, not among OK and Cancel, and still presses.
  void aButtonBesideItsFieldSharesTheFieldsRow() {
    std::unique_ptr<ModalRunner> runner = MakeDialogRunner();
    Form form("Files");
    form.AddEdit(11, "", EditKind::Text, "a.log");
    form.AddButton(12, "User File").besideField = true;
    form.AddEdit(13, "Trigger Time", EditKind::Real, "0");
    form.AddOkCancel();
    int presses = 0;
    form.OnButton(12, [&presses](Form&) {
      ++presses;
      return FormAction::None;
    });
    RecordingBoxes boxes;
    WhenModalUp([&](QWidget* dialog) {
      const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
      QCOMPARE(edits.size(), 2);
      QPushButton* file = ButtonNamed(dialog, "User File");
      const auto rowOf = [dialog](QWidget* w) { return w->mapTo(dialog, w->rect().center()).y(); };
      QVERIFY(std::abs(rowOf(file) - rowOf(edits[0])) <= 3);
      QVERIFY(rowOf(ButtonNamed(dialog, "OK")) > rowOf(edits[1]));
      QVERIFY(file->mapTo(dialog, QPoint(0, 0)).x() > edits[0]->mapTo(dialog, QPoint(0, 0)).x());
      file->click();
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(runner->RunForm(nullptr, form, boxes));
    QCOMPARE(presses, 1);
  }

  // Timer 54 is the frame's file-manager poll and also a dialog's keep-alive: the dialog's
  // runs on a timer of its own, the main window's calls the frame, and neither fires the
  // other's handler.
  void aFormsTimerAndTheFramesTimerOfOneNumberFireOnlyTheirOwn() {
    QTemporaryDir dir;
    ScriptedModal::Log log;
    TestWindow window(dir, log);
    window->show();
    window->commands().OpenMainPort("/dev/pts/7", 19200);
    QVERIFY(!window.ports.empty());
    const FakePort& port = *window.ports[0];
    // The frame polls while the file manager window is there to show the answers: its port
    // poll arms timer 54 (every 2 s) once it sees the window, and the test then runs it faster.
    window->RunCommand(cmd::kWndFileManager);
    QTest::qWait(300);
    Form form("Keep Alive");
    form.AddOkCancel();
    int formFires = 0;
    form.OnTimer([&formFires](Form&, int id) { formFires += id == kFileManagerTimer; });
    RecordingBoxes boxes;
    WhenModalUp([&](QWidget* dialog) {
      window->SetTimer(kFileManagerTimer, 10);  // the frame's alone
      QTRY_VERIFY(FileManagerPolls(port) >= 3);
      QCOMPARE(formFires, 0);

      window->KillTimer(kFileManagerTimer);  // the dialog's alone, armed from outside its events
      form.SetTimer(kFileManagerTimer, 10);
      const int polls = FileManagerPolls(port);
      QTRY_VERIFY(formFires >= 3);
      QCOMPARE(FileManagerPolls(port), polls);

      window->SetTimer(kFileManagerTimer, 10);  // both: each goes on with its own
      const int fires = formFires;
      QTRY_VERIFY(FileManagerPolls(port) >= polls + 3 && formFires >= fires + 3);
      ButtonNamed(dialog, "OK")->click();
    });
    QVERIFY(MakeDialogRunner()->RunForm(window.window.get(), form, boxes));
    window->KillTimer(kFileManagerTimer);
  }
};

ORV_DESKTOP_TEST(FormRendererTest);

}  // namespace orv::test

#include "FormRendererTest.moc"
