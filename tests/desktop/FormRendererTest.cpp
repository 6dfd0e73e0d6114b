// The generic form renderer with real widgets: the Playback Rate and Request Msg forms shown
// modally, changed and confirmed through their widgets, and a refused edit box.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
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
#include "logging/PlaybackRateForm.h"

namespace orv::test {

namespace {
class RecordingBoxes : public MessageBoxes {
 public:
  void MessageBox(const std::string& text, const std::string&, MessageIcon) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

// Runs `user` on the modal dialog once it is up.
void WhenModalUp(std::function<void(QWidget*)> user) {
  QTimer::singleShot(0, [user] {
    QWidget* dialog = QApplication::activeModalWidget();
    QVERIFY(dialog != nullptr);
    user(dialog);
  });
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
};

ORV_DESKTOP_TEST(FormRendererTest);

}  // namespace orv::test

#include "FormRendererTest.moc"
