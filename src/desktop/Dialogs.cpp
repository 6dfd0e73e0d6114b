// Modal dialogs of the desktop: message boxes, file dialogs, the choice form renderer and the
// about box; and the application profile over QSettings.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSlider>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include <map>

#include "forms/Form.h"
#include "app/MainFrame.h"
#include "desktop/DesktopSupport.h"
#include "desktop/MainWindow.h"

namespace orv {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Renders any core form: one widget per field in order, buttons in a row at the bottom. Every
// change goes to the form, which applies its rules; the widgets then follow the form's state.
class FormDialog : public QDialog {
 public:
  FormDialog(QWidget* parent, Form& form, MessageBoxes& boxes) : QDialog(parent), form_(form), boxes_(boxes) {
    setWindowTitle(Q(form.caption()));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QFormLayout;
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const FormField& f : form.fields()) {
      if (f.kind == FieldKind::Button) {
        AddButton(buttons, f);
      } else {
        AddField(grid, f);
      }
    }
    layout->addLayout(buttons);
    Sync();
  }

 private:
  struct Bound {
    int id;
    QWidget* widget;
    QLabel* label;
  };

  void AddField(QFormLayout* grid, const FormField& f) {
    const int id = f.id;
    QWidget* w = nullptr;
    switch (f.kind) {
      case FieldKind::Label:
        w = new QLabel(Q(f.label), this);
        grid->addRow(w);
        bound_.push_back({id, w, nullptr});
        return;
      case FieldKind::Edit: {
        auto* edit = new QLineEdit(Q(f.text), this);
        if (f.maxChars > 0) edit->setMaxLength(static_cast<int>(f.maxChars));
        connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& t) { Change([&] { form_.SetText(id, t.toStdString()); }); });
        w = edit;
        break;
      }
      case FieldKind::RadioGroup: {
        auto* box = new QGroupBox(Q(f.label), this);
        auto* inner = f.options.size() > 3 ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
        auto* radios = new QButtonGroup(box);
        for (std::size_t o = 0; o < f.options.size(); ++o) {
          auto* radio = new QRadioButton(Q(f.options[o]), box);
          radios->addButton(radio, static_cast<int>(o));
          inner->addWidget(radio);
        }
        connect(radios, &QButtonGroup::idClicked, this, [this, id](int o) { Change([&] { form_.Select(id, o); }); });
        grid->addRow(box);
        bound_.push_back({id, box, nullptr});
        return;
      }
      case FieldKind::CheckBox: {
        auto* check = new QCheckBox(Q(f.label), this);
        connect(check, &QCheckBox::clicked, this, [this, id](bool on) { Change([&] { form_.SetChecked(id, on); }); });
        grid->addRow(check);
        bound_.push_back({id, check, nullptr});
        return;
      }
      case FieldKind::Combo: {
        auto* combo = new QComboBox(this);
        for (const std::string& o : f.options) combo->addItem(Q(o));
        connect(combo, &QComboBox::activated, this, [this, id](int o) { Change([&] { form_.Select(id, o); }); });
        w = combo;
        break;
      }
      case FieldKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(f.rangeMin, f.rangeMax);
        slider->setSingleStep(f.lineStep);
        slider->setPageStep(f.pageStep);
        if (f.ticks.size() >= 2) {
          slider->setTickPosition(QSlider::TicksBelow);
          slider->setTickInterval(f.ticks[1] - f.ticks[0]);
        }
        slider->setMinimumWidth(240);
        connect(slider, &QSlider::valueChanged, this, [this, id](int v) { Change([&] { form_.SetPosition(id, v); }); });
        w = slider;
        break;
      }
      case FieldKind::Button:
        return;
    }
    auto* label = new QLabel(Q(f.label), this);
    grid->addRow(label, w);
    bound_.push_back({id, w, label});
  }

  void AddButton(QHBoxLayout* row, const FormField& f) {
    auto* button = new QPushButton(Q(f.label), this);
    const int id = f.id;
    if (f.action == FormAction::Ok) button->setDefault(true);
    connect(button, &QPushButton::clicked, this, [this, id] { Press(id); });
    row->addWidget(button);
    bound_.push_back({id, button, nullptr});
  }

  void Press(int id) {
    const FormAction action = form_.Press(id, &boxes_);
    if (action == FormAction::Ok) {
      accept();
    } else if (action == FormAction::Cancel) {
      QDialog::reject();
    } else {
      if (const auto error = form_.Validate(); error && find(error->fieldId)) find(error->fieldId)->setFocus();
      Sync();
    }
  }

  // Escape and the close box press Cancel when the form has one.
  void reject() override {
    if (form_.field(kFormCancel) != nullptr) {
      Press(kFormCancel);
    } else {
      QDialog::reject();
    }
  }

  template <typename F>
  void Change(F&& apply) {
    if (syncing_) return;
    apply();
    Sync();
  }

  QWidget* find(int id) const {
    for (const Bound& b : bound_) {
      if (b.id == id) return b.widget;
    }
    return nullptr;
  }

  // Brings every widget in line with the form (values, enabled, visible).
  void Sync() {
    syncing_ = true;
    for (const Bound& b : bound_) {
      const FormField* f = form_.field(b.id);
      if (f == nullptr) continue;
      b.widget->setEnabled(f->enabled);
      b.widget->setVisible(f->visible);
      if (b.label != nullptr) b.label->setVisible(f->visible);
      if (auto* edit = qobject_cast<QLineEdit*>(b.widget); edit && edit->text() != Q(f->text)) edit->setText(Q(f->text));
      if (auto* combo = qobject_cast<QComboBox*>(b.widget)) combo->setCurrentIndex(f->selected);
      if (auto* slider = qobject_cast<QSlider*>(b.widget)) slider->setValue(f->position);
      if (auto* check = qobject_cast<QCheckBox*>(b.widget)) check->setChecked(f->checked);
      if (auto* label = qobject_cast<QLabel*>(b.widget)) label->setText(Q(f->label));
      if (auto* box = qobject_cast<QGroupBox*>(b.widget)) {
        const QList<QRadioButton*> radios = box->findChildren<QRadioButton*>();
        for (int o = 0; o < radios.size(); ++o) {
          radios[o]->setChecked(o == f->selected);
          radios[o]->setEnabled(form_.OptionEnabled(b.id, o));
        }
      }
    }
    syncing_ = false;
    SyncTimers();
  }

  // The form's own timers run while the dialog is shown; after every event the running ones
  // follow the set the form has armed.
  void SyncTimers() {
    for (auto it = timers_.begin(); it != timers_.end();) {
      if (form_.TimerArmed(it->first)) {
        ++it;
        continue;
      }
      it->second->stop();
      it->second->deleteLater();  // it may be the one whose event is being handled
      it = timers_.erase(it);
    }
    for (const auto& [id, period] : form_.timers()) {
      QTimer*& timer = timers_[id];
      if (timer == nullptr) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id = id] {
          form_.FireTimer(id);
          Sync();
        });
      }
      if (!timer->isActive() || timer->interval() != static_cast<int>(period)) timer->start(static_cast<int>(period));
    }
  }

  Form& form_;
  MessageBoxes& boxes_;
  std::vector<Bound> bound_;
  std::map<int, QTimer*> timers_;
  bool syncing_ = false;
};

// The file dialogs: a name typed without an extension means the usual kind ("run1" opens or
// writes "run1.log"); saving over an existing file asks first.
std::optional<std::string> AskFile(QWidget* parent, const FileDialogRequest& request, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setNameFilters(QtFileFilter(request.filter).split(";;"));
  dialog.setDefaultSuffix(Q(request.defaultExtension));
  if (!request.initialPath.empty()) dialog.selectFile(Q(request.initialPath));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

class DialogRunner : public ModalRunner {
 public:
  void ShowMessage(QWidget* parent, const std::string& text, const std::string& caption, MessageIcon icon) override {
    QMessageBox box(ToQtIcon(icon), Q(caption.empty() ? std::string(kEditionTitle) : caption), Q(text), QMessageBox::Ok,
                    parent);
    box.exec();
  }

  std::optional<std::string> OpenFile(QWidget* parent, const FileDialogRequest& request) override {
    return AskFile(parent, request, QFileDialog::AcceptOpen);
  }

  std::optional<std::string> SaveFile(QWidget* parent, const FileDialogRequest& request) override {
    return AskFile(parent, request, QFileDialog::AcceptSave);
  }

  bool RunForm(QWidget* parent, Form& form, MessageBoxes& boxes) override {
    FormDialog dialog(parent, form, boxes);
    return dialog.exec() == QDialog::Accepted;
  }

  void About(QWidget* parent) override {
    QMessageBox box(QMessageBox::Information, "About Orvantis",
                    QString("%1\n\nMonitoring and control console for GPS receivers\n(KTX Binary and NMEA 0183).")
                        .arg(kEditionTitle),
                    QMessageBox::Ok, parent);
    box.setIconPixmap(ApplicationIcon().pixmap(40, 40));
    box.exec();
  }
};
}  // namespace

std::unique_ptr<ModalRunner> MakeDialogRunner() { return std::make_unique<DialogRunner>(); }

std::optional<std::string> SettingsProfile::GetString(const std::string& section, const std::string& entry) const {
  const QString key = Q(section) + "/" + Q(entry);
  if (!settings_.contains(key)) return std::nullopt;
  return settings_.value(key).toString().toStdString();
}

void SettingsProfile::SetString(const std::string& section, const std::string& entry, const std::string& value) {
  settings_.setValue(Q(section) + "/" + Q(entry), Q(value));
}

}  // namespace orv
