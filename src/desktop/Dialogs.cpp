// Modal dialogs of the desktop: message boxes, file dialogs, the choice form renderer and the
// about box; and the application profile over QSettings.
#include <QButtonGroup>
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
#include <QVBoxLayout>

#include "app/ChoiceForm.h"
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

// Builds the dialog of a choice form; the radio buttons write back into the form.
class ChoiceDialog : public QDialog {
 public:
  ChoiceDialog(QWidget* parent, ChoiceForm& form) : QDialog(parent), form_(form) {
    setWindowTitle(Q(form.caption));
    auto* layout = new QVBoxLayout(this);
    for (const std::string& note : form.notes) layout->addWidget(new QLabel(Q(note), this));
    for (std::size_t g = 0; g < form.groups.size(); ++g) AddGroup(layout, g);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (std::size_t b = 0; b < form.buttons.size(); ++b) {
      auto* button = new QPushButton(Q(form.buttons[b]), this);
      button->setObjectName(QString("button%1").arg(b));
      if (b == 0) button->setDefault(true);
      connect(button, &QPushButton::clicked, this, [this, b] { done(static_cast<int>(b) + 1); });
      buttons->addWidget(button);
    }
    layout->addLayout(buttons);
  }

 private:
  void AddGroup(QVBoxLayout* layout, std::size_t g) {
    const ChoiceGroup& group = form_.groups[g];
    auto* box = new QGroupBox(Q(group.title), this);
    auto* inner = group.options.size() > 3 ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    auto* radios = new QButtonGroup(box);
    for (std::size_t o = 0; o < group.options.size(); ++o) {
      auto* radio = new QRadioButton(Q(group.options[o]), box);
      radio->setChecked(static_cast<int>(o) == group.selected);
      radios->addButton(radio, static_cast<int>(o));
      inner->addWidget(radio);
    }
    connect(radios, &QButtonGroup::idClicked, this, [this, g](int id) { form_.Select(g, id); });
    layout->addWidget(box);
  }

  ChoiceForm& form_;
};

class DialogRunner : public ModalRunner {
 public:
  void ShowMessage(QWidget* parent, const std::string& text, const std::string& caption, MessageIcon icon) override {
    QMessageBox box(ToQtIcon(icon), Q(caption.empty() ? std::string(kEditionTitle) : caption), Q(text), QMessageBox::Ok,
                    parent);
    box.exec();
  }

  std::optional<std::string> OpenFile(QWidget* parent, const std::string& filter, const std::string& initialPath) override {
    const QString path = QFileDialog::getOpenFileName(parent, QString(), Q(initialPath), QtFileFilter(filter));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
  }

  std::optional<int> RunChoice(QWidget* parent, ChoiceForm& form) override {
    ChoiceDialog dialog(parent, form);
    const int result = dialog.exec();
    if (result <= 0) {
      if (form.cancelButton >= 0) return form.cancelButton;
      return std::nullopt;
    }
    return result - 1;
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
