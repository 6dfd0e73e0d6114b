// Modal dialogs of the desktop: message boxes, file dialogs, the form renderer and the about
// box; and the application profile over QSettings.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
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
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>
#include <map>

#include "OrvantisVersion.h"
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

// Renders any core form: one widget per field in order, labels beside edits, groups boxed,
// buttons in a row at the bottom. Every user change goes to the form, which applies its rules;
// the widgets then follow the form's state. The form also tells the dialog of changes made
// from outside its events (the serial poll runs in the main window's timer while exec() runs),
// and the dialog follows those as well.
class FormDialog : public QDialog {
 public:
  FormDialog(QWidget* parent, Form& form, MessageBoxes& boxes)
      : QDialog(parent), form_(form), boxes_(boxes), previousBoxes_(form.messageBoxes()) {
    setWindowTitle(Q(form.caption()));
    form_.AttachMessageBoxes(&boxes_);
    form_.TakeCloseRequest();  // asked for while nobody showed the form
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QFormLayout;
    grid->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    const std::vector<FormField>& fields = form.fields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const FormField& f = fields[i];
      if (f.kind == FieldKind::Button) {
        if (!f.besideField || i == 0 || fields[i - 1].kind == FieldKind::Button) AddButton(buttons, f);
        continue;
      }
      const bool buttonBeside = i + 1 < fields.size() && fields[i + 1].kind == FieldKind::Button && fields[i + 1].besideField;
      AddField(grid, f, buttonBeside ? &fields[i + 1] : nullptr);
    }
    layout->addSpacing(4);
    layout->addLayout(buttons);
    form_.SetObserver([this] { FormChanged(); });
    Sync();
  }

  ~FormDialog() override {
    form_.SetObserver(nullptr);
    form_.AttachMessageBoxes(previousBoxes_);
    for (const Bound& b : bound_) b.widget->removeEventFilter(this);
  }

 protected:
  // An edit box losing the focus to another field or button is the user leaving it; losing
  // it with the window (a message box comes up, another window is activated) is not.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut && !closing_) {
      const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
          reason != Qt::MenuBarFocusReason) {
        for (const Bound& b : bound_) {
          if (b.widget == watched) Change([this, id = b.id] { form_.LeaveField(id); });
        }
      }
    }
    return QDialog::eventFilter(watched, event);
  }

  void done(int result) override {
    closing_ = true;
    QDialog::done(result);
  }

  // Escape and the close box press Cancel when the form has one.
  void reject() override {
    if (form_.field(kFormCancel) != nullptr) {
      Press(kFormCancel);
    } else {
      QDialog::reject();
    }
  }

 private:
  struct Bound {
    int id;
    FieldKind kind;  // what the widget was built for (another field may share the id)
    QWidget* widget;
    QLabel* label;                       // the label beside it, or null
    std::vector<QAbstractButton*> parts;  // radio buttons and grid boxes, in choice order
  };

  static QLabel* NewLabel(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(Q(text), parent);
    label->setTextFormat(Qt::PlainText);  // "<none>" is a text, not markup
    label->setWordWrap(false);
    return label;
  }

  void AddField(QFormLayout* grid, const FormField& f, const FormField* buttonBeside) {
    switch (f.kind) {
      case FieldKind::Label: {
        QLabel* label = NewLabel({}, this);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (f.lines > 0) label->setMinimumHeight(f.lines * label->fontMetrics().lineSpacing());
        grid->addRow(label);
        bound_.push_back({f.id, f.kind, label, nullptr, {}});
        return;
      }
      case FieldKind::RadioGroup: return AddRadioGroup(grid, f);
      case FieldKind::CheckGrid: return AddCheckGrid(grid, f);
      case FieldKind::CheckBox: {
        auto* check = new QCheckBox(Q(f.label), this);
        connect(check, &QCheckBox::clicked, this, [this, id = f.id](bool on) { Change([&] { form_.SetChecked(id, on); }); });
        grid->addRow(check);
        bound_.push_back({f.id, f.kind, check, nullptr, {}});
        return;
      }
      case FieldKind::Edit:
      case FieldKind::Combo:
      case FieldKind::Slider:
      case FieldKind::Progress: {
        QLabel* label = NewLabel(f.label, this);
        QWidget* w = NewValueWidget(f);
        bound_.push_back({f.id, f.kind, w, label, {}});
        if (buttonBeside == nullptr) {
          grid->addRow(label, w);
          return;
        }
        auto* row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(w, 1);
        AddButton(row, *buttonBeside);
        grid->addRow(label, row);
        return;
      }
      case FieldKind::Button: return;
    }
  }

  // The widgets that sit beside a label.
  QWidget* NewValueWidget(const FormField& f) {
    const int id = f.id;
    switch (f.kind) {
      case FieldKind::Edit: {
        auto* edit = new QLineEdit(Q(f.text), this);
        if (f.maxChars > 0) edit->setMaxLength(static_cast<int>(f.maxChars));
        connect(edit, &QLineEdit::textEdited, this, [this, id](const QString& t) { Change([&] { form_.SetText(id, t.toStdString()); }); });
        edit->installEventFilter(this);
        return edit;
      }
      case FieldKind::Combo: {
        auto* combo = new QComboBox(this);
        connect(combo, &QComboBox::activated, this, [this, id](int o) { Change([&] { form_.Select(id, o); }); });
        return combo;
      }
      case FieldKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setSingleStep(f.lineStep);
        slider->setPageStep(f.pageStep);
        if (f.ticks.size() >= 2) {
          slider->setTickPosition(QSlider::TicksBelow);
          slider->setTickInterval(f.ticks[1] - f.ticks[0]);
        }
        slider->setMinimumWidth(240);
        connect(slider, &QSlider::valueChanged, this, [this, id](int v) { Change([&] { form_.SetPosition(id, v); }); });
        return slider;
      }
      default: {
        auto* bar = new QProgressBar(this);
        bar->setMinimumWidth(240);
        return bar;
      }
    }
  }

  void AddRadioGroup(QFormLayout* grid, const FormField& f) {
    auto* box = new QGroupBox(Q(f.label), this);
    auto* inner = f.options.size() > 3 ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    auto* radios = new QButtonGroup(box);
    Bound bound{f.id, f.kind, box, nullptr, {}};
    for (std::size_t o = 0; o < f.options.size(); ++o) {
      auto* radio = new QRadioButton(Q(f.options[o]), box);
      radios->addButton(radio, static_cast<int>(o));
      inner->addWidget(radio);
      bound.parts.push_back(radio);
    }
    connect(radios, &QButtonGroup::idClicked, this, [this, id = f.id](int o) { Change([&] { form_.Select(id, o); }); });
    grid->addRow(box);
    bound_.push_back(std::move(bound));
  }

  // Boxes fill each column top to bottom, then the next column: the rows are as many as
  // `columns` columns need, so a short last column is the only one with gaps.
  void AddCheckGrid(QFormLayout* grid, const FormField& f) {
    auto* box = new QGroupBox(Q(f.label), this);
    auto* cells = new QGridLayout(box);
    cells->setVerticalSpacing(2);
    cells->setHorizontalSpacing(16);
    const int count = static_cast<int>(f.options.size());
    const int columns = std::clamp(f.columns, 1, std::max(1, count));
    const int rows = std::max(1, (count + columns - 1) / columns);
    Bound bound{f.id, f.kind, box, nullptr, {}};
    for (int i = 0; i < count; ++i) {
      auto* check = new QCheckBox(Q(f.options[static_cast<std::size_t>(i)]), box);
      cells->addWidget(check, i % rows, i / rows);
      connect(check, &QCheckBox::clicked, this,
              [this, id = f.id, i](bool on) { Change([&] { form_.SetBoxChecked(id, i, on); }); });
      bound.parts.push_back(check);
    }
    grid->addRow(box);
    bound_.push_back(std::move(bound));
  }

  void AddButton(QHBoxLayout* row, const FormField& f) {
    auto* button = new QPushButton(Q(f.label), this);
    if (f.action == FormAction::Ok) button->setDefault(true);
    connect(button, &QPushButton::clicked, this, [this, id = f.id] { Press(id); });
    row->addWidget(button);
    bound_.push_back({f.id, f.kind, button, nullptr, {}});
  }

  void Press(int id) {
    FormAction action = FormAction::None;
    Change([&] { action = form_.Press(id, &boxes_); });
    Finish(action);
  }

  void Finish(FormAction action) {
    if (action == FormAction::Ok) {
      accept();
    } else if (action == FormAction::Cancel) {
      QDialog::reject();
    }
  }

  // A change of the user's (or of the dialog's own timer) goes to the form; the widgets
  // follow once it is applied. Changes the form reports meanwhile, even from a message box's
  // event loop inside it, wait for that one pass, so no widget is rewritten under the event
  // it is still delivering.
  template <typename F>
  void Change(F&& apply) {
    if (syncing_) return;
    const bool outermost = !pushing_;
    pushing_ = true;
    apply();
    if (!outermost) return;
    pushing_ = false;
    Sync();
  }

  void FormChanged() {
    if (!pushing_ && !syncing_) Sync();
  }

  const Bound* find(int id) const {
    for (const Bound& b : bound_) {
      if (b.id == id) return &b;
    }
    return nullptr;
  }

  // Brings every widget in line with the form, then carries out its requests.
  void Sync() {
    syncing_ = true;
    if (windowTitle() != Q(form_.caption())) setWindowTitle(Q(form_.caption()));
    for (Bound& b : bound_) {
      const FormField* f = form_.field(b.id);
      if (f != nullptr && f->kind == b.kind) SyncField(b, *f);
    }
    syncing_ = false;
    SyncTimers();
    // Moving the focus may set off a leave-time check, so it comes after the pass.
    if (const Bound* b = find(form_.TakeFocusRequest())) {
      QWidget* target = b->parts.empty() ? b->widget : b->parts.front();
      target->setFocus(Qt::OtherFocusReason);
      if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->selectAll();
    }
    if (const auto close = form_.TakeCloseRequest()) {
      QTimer::singleShot(0, this, [this, action = *close] { Finish(action); });
    }
  }

  void SyncField(Bound& b, const FormField& f) {
    b.widget->setEnabled(f.enabled);
    b.widget->setVisible(f.visible);
    if (b.label != nullptr) {
      b.label->setVisible(f.visible);
      b.label->setEnabled(f.enabled);
      b.label->setText(Q(f.label));
    }
    switch (f.kind) {
      case FieldKind::Label:
        static_cast<QLabel*>(b.widget)->setText(Q(JoinLines(form_.LabelLines(f.id))));
        break;
      case FieldKind::Edit: {
        auto* edit = static_cast<QLineEdit*>(b.widget);
        if (edit->text() != Q(f.text)) edit->setText(Q(f.text));
        break;
      }
      case FieldKind::CheckBox:
        static_cast<QCheckBox*>(b.widget)->setText(Q(f.label));
        static_cast<QCheckBox*>(b.widget)->setChecked(f.checked);
        break;
      case FieldKind::Combo: SyncCombo(static_cast<QComboBox*>(b.widget), f); break;
      case FieldKind::Slider: {
        auto* slider = static_cast<QSlider*>(b.widget);
        slider->setRange(f.rangeMin, f.rangeMax);
        slider->setValue(f.position);
        break;
      }
      case FieldKind::Progress: SyncProgress(static_cast<QProgressBar*>(b.widget), f); break;
      case FieldKind::RadioGroup:
      case FieldKind::CheckGrid: SyncChoices(b, f); break;
      case FieldKind::Button: static_cast<QPushButton*>(b.widget)->setText(Q(f.label)); break;
    }
  }

  static std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : "\n") + lines[i];
    return text;
  }

  static void SyncCombo(QComboBox* combo, const FormField& f) {
    bool same = combo->count() == static_cast<int>(f.options.size());
    for (int i = 0; same && i < combo->count(); ++i) same = combo->itemText(i) == Q(f.options[static_cast<std::size_t>(i)]);
    if (!same) {
      combo->clear();
      for (const std::string& o : f.options) combo->addItem(Q(o));
    }
    combo->setCurrentIndex(f.selected);
  }

  // QProgressBar counts in int: a range beyond it is shown halved as often as it takes.
  static void SyncProgress(QProgressBar* bar, const FormField& f) {
    if (f.progressMin == f.progressMax) {  // nothing to show progress of (0..0 would animate)
      bar->setRange(0, 1);
      bar->setValue(0);
      return;
    }
    constexpr uint32_t kIntMax = static_cast<uint32_t>(std::numeric_limits<int>::max());
    if (f.progressMax <= kIntMax) {
      bar->setRange(static_cast<int>(f.progressMin), static_cast<int>(f.progressMax));
      bar->setValue(static_cast<int>(f.progress));
      return;
    }
    int shift = 0;
    while (((f.progressMax - f.progressMin) >> shift) > kIntMax) ++shift;
    bar->setRange(0, static_cast<int>((f.progressMax - f.progressMin) >> shift));
    bar->setValue(static_cast<int>((f.progress - f.progressMin) >> shift));
  }

  void SyncChoices(Bound& b, const FormField& f) {
    static_cast<QGroupBox*>(b.widget)->setTitle(Q(f.label));
    for (std::size_t o = 0; o < b.parts.size(); ++o) {
      const int index = static_cast<int>(o);
      const bool on = f.kind == FieldKind::RadioGroup ? index == f.selected : form_.BoxChecked(f.id, index);
      b.parts[o]->setChecked(on);
      b.parts[o]->setEnabled(form_.OptionEnabled(f.id, index));
      b.parts[o]->setHidden(o < f.optionHidden.size() && f.optionHidden[o]);
    }
  }

  // The form's own timers run while the dialog is shown, on QTimers of the dialog's (never the
  // main window's, whose identifiers are another set); the running ones follow the set the
  // form has armed.
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
        connect(timer, &QTimer::timeout, this, [this, id = id] { Change([&] { form_.FireTimer(id); }); });
      }
      if (!timer->isActive() || timer->interval() != static_cast<int>(period)) timer->start(static_cast<int>(period));
    }
  }

  Form& form_;
  MessageBoxes& boxes_;
  MessageBoxes* previousBoxes_;
  std::vector<Bound> bound_;
  std::map<int, QTimer*> timers_;
  bool syncing_ = false;  // widgets are being set from the form: their signals are not the user's
  bool pushing_ = false;  // a change is going to the form
  bool closing_ = false;
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
                    QString("%1\nVersion %2\n\nMonitoring and control console for GPS receivers\n(KTX Binary and NMEA 0183).")
                        .arg(kEditionTitle, kOrvantisVersion),
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
