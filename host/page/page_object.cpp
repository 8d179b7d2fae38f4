#include "host/page/page_object.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJSEngine>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "host/page/class_lookup.h"
#include "host/page/script_values.h"
#include "platform/com/identifiers.h"
#include "platform/system/registry_store.h"
#include "platform/ui/window_messages.h"

namespace varn::host {

namespace {

struct ControlClass {
  const char* name;
  const CLSID* clsid;
};

constexpr ControlClass kControlClasses[] = {
    {"DrawingControl", &CLSID_DrawingControl},
    {"ImageEditControl", &CLSID_ImageEditControl},
    {"ProfileImageCropper", &CLSID_ProfileImageCropper},
};

// With a module given directly: "DrawingControl",
// "VarnPostingTool.DrawingControl" or its ".1" ProgID.
const CLSID* FindKnownClass(QString name) {
  const QString prefix = QStringLiteral("VarnPostingTool.");
  if (name.startsWith(prefix, Qt::CaseInsensitive)) name = name.mid(prefix.size());
  if (name.endsWith(QStringLiteral(".1"))) name.chop(2);
  for (const ControlClass& known : kControlClasses) {
    if (name.compare(QLatin1String(known.name), Qt::CaseInsensitive) == 0) return known.clsid;
  }
  return nullptr;
}

constexpr int kMaxControlSide = 8192;

}  // namespace

PageObject::PageObject(PageContext& page, const PageSettings& settings, PageWindow* window,
                       QObject* parent)
    : QObject(parent),
      page_(page),
      window_(window),
      siteAddress_(settings.siteAddress),
      picturePostAddress_(settings.picturePostAddress),
      profilePostAddress_(settings.profilePostAddress),
      cookie_(settings.cookie),
      fileKey_(settings.fileKey),
      outputDir_(settings.outputDir),
      scriptDir_(settings.scriptDir),
      windowed_(settings.windowed),
      interactive_(settings.interactive) {
  dialogs_ = com::ComRef<PageDialogs>::Share(new PageDialogs(page));
  dialogs_->SetInteractive(settings.interactive);
  site_ = com::ComRef<PageSite>::Share(new PageSite(*dialogs_.Get()));
}

PageObject::~PageObject() { CloseControls(); }

void PageObject::CloseControls() {
  for (ScriptControl* control : controls_) control->Disconnect();
}

template <typename T>
T* PageObject::Keep(T* element) {
  QJSEngine::setObjectOwnership(element, QJSEngine::CppOwnership);
  return element;
}

const ModuleLink* PageObject::FindClass(const QString& className, CLSID& clsid, QString* error) {
  if (page_.registryPath.empty()) {
    const CLSID* known = FindKnownClass(className);
    if (known != nullptr) {
      clsid = *known;
    } else if (!ParseClassId(className.toStdString(), clsid)) {
      *error = QStringLiteral("no control class '%1'").arg(className);
      return nullptr;
    }
    return page_.module;
  }
  // Read for every creation, as a browser asks the registry each time.
  system::RegistryKey root;
  const system::RegistryStatus read = system::ReadRegistry(page_.registryPath, root);
  if (!read.Ok()) {
    *error = QString::fromStdString(read.message);
    return nullptr;
  }
  ClassLocation location;
  std::string reason;
  if (!LocateClass(root, className.toStdString(), location, reason)) {
    *error = QString::fromStdString(reason);
    if (root.Empty()) {
      *error += QStringLiteral(" (register the module with varn-regsvr)");
    }
    return nullptr;
  }
  clsid = location.clsid;
  if (page_.registryModule == nullptr) {
    try {
      page_.registryModule = std::make_unique<ModuleLink>(location.modulePath);
    } catch (const std::exception& failure) {
      *error = QString::fromUtf8(failure.what());
      return nullptr;
    }
    page_.module = page_.registryModule.get();
  } else if (page_.registryModule->Path() != location.modulePath) {
    // Strings cross between the page and its controls through one module's
    // allocator; controls of a second module would need their own.
    *error = QStringLiteral("%1 is served by %2, but the page's controls come from %3")
                 .arg(className, QString::fromStdString(location.modulePath),
                      QString::fromStdString(page_.registryModule->Path()));
    return nullptr;
  }
  return page_.module;
}

QObject* PageObject::create(const QString& className, int width, int height) {
  CLSID clsid{};
  QString reason;
  const ModuleLink* module = FindClass(className, clsid, &reason);
  if (module == nullptr) {
    page_.engine->throwError(QJSValue::TypeError, reason);
    return nullptr;
  }
  if (width < 0 || height < 0 || width > kMaxControlSide || height > kMaxControlSide) {
    page_.engine->throwError(
        QJSValue::RangeError,
        QStringLiteral("a control of %1 x %2 does not fit on a page").arg(width).arg(height));
    return nullptr;
  }
  com::ComRef<IUnknown> object;
  const HRESULT hr = module->CreateObject(clsid, object);
  if (FAILED(hr)) {
    ThrowHResult(*page_.engine, QStringLiteral("creating ") + className, hr);
    return nullptr;
  }
  QString error;
  ScriptControl* control = AddControl(std::move(object), width, height, &error);
  if (control == nullptr) {
    page_.engine->throwError(QJSValue::TypeError, className + QStringLiteral(": ") + error);
  }
  return control;
}

ScriptControl* PageObject::AddControl(com::ComRef<IUnknown> object, int width, int height,
                                      QString* error) {
  ScriptControl* control = nullptr;
  try {
    control = new ScriptControl(page_, std::move(object), site_.Get(), this);
  } catch (const std::exception& failure) {
    if (error != nullptr) *error = QString::fromUtf8(failure.what());
    return nullptr;
  }
  controls_.push_back(control);
  if (window_ != nullptr) {
    const QRect place = window_->PlaceControl(width, height);
    if (!control->Activate(window_->Stage(), place)) {
      page_.ReportError(control->className() +
                        QStringLiteral(" could not be shown in the page's window"));
    }
  }
  control->Resize(width, height);
  return Keep(control);
}

ScriptControl* PageObject::ControlOf(QObject* object) {
  auto* control = qobject_cast<ScriptControl*>(object);
  if (control == nullptr) {
    page_.engine->throwError(QJSValue::TypeError, QStringLiteral("not a control of this page"));
  }
  return control;
}

void PageObject::mouse(QObject* object, const QString& action, int x, int y) {
  ScriptControl* control = ControlOf(object);
  if (control == nullptr) return;
  static const std::pair<const char*, MouseAction> kActions[] = {
      {"press", MouseAction::kPress},           {"move", MouseAction::kMove},
      {"release", MouseAction::kRelease},       {"doubleClick", MouseAction::kDoubleClick},
      {"rightPress", MouseAction::kRightPress},
  };
  // Client coordinates travel as signed 16-bit halves of a message's lParam.
  const int clampedX = std::clamp(x, -32768, 32767);
  const int clampedY = std::clamp(y, -32768, 32767);
  for (const auto& [name, value] : kActions) {
    if (action == QLatin1String(name)) {
      control->Mouse(value, clampedX, clampedY);
      return;
    }
  }
  page_.engine->throwError(QJSValue::TypeError, QStringLiteral("no mouse action '%1'").arg(action));
}

void PageObject::key(QObject* object, const QString& key, bool shift) {
  ScriptControl* control = ControlOf(object);
  if (control == nullptr) return;
  static const std::pair<const char*, WPARAM> kKeys[] = {
      {"Left", VK_LEFT}, {"Right", VK_RIGHT},  {"Up", VK_UP},
      {"Down", VK_DOWN}, {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT},
  };
  for (const auto& [name, value] : kKeys) {
    if (key == QLatin1String(name)) {
      control->Key(value, shift);
      return;
    }
  }
  page_.engine->throwError(QJSValue::TypeError, QStringLiteral("no key '%1'").arg(key));
}

void PageObject::resize(QObject* object, int width, int height) {
  ScriptControl* control = ControlOf(object);
  if (control == nullptr) return;
  if (width < 0 || height < 0 || width > kMaxControlSide || height > kMaxControlSide) {
    page_.engine->throwError(QJSValue::RangeError, QStringLiteral("size out of range"));
    return;
  }
  control->Resize(width, height);
}

QString PageObject::path(const QString& name) const {
  return QFileInfo(name).isAbsolute() ? name : QDir(outputDir_).filePath(name);
}

QString PageObject::SnapshotTarget(const QString& fileName) const {
  if (fileName.isEmpty() || QDir::isAbsolutePath(fileName)) return {};
  for (const QString& part : fileName.split('/')) {
    if (part == QLatin1String("..")) return {};
  }
  // The folder it goes into, links resolved, must be the output folder or
  // one below it.
  const QString root = QFileInfo(outputDir_).canonicalFilePath();
  const QString target = QDir(outputDir_).filePath(fileName);
  const QString folder = QFileInfo(QFileInfo(target).absolutePath()).canonicalFilePath();
  if (root.isEmpty() || folder.isEmpty() ||
      (folder != root && !folder.startsWith(root + QLatin1Char('/')))) {
    return {};
  }
  const QString placed = QDir(folder).filePath(QFileInfo(target).fileName());
  // A link in the last place would lead out as well.
  return QFileInfo(placed).isSymLink() ? QString() : placed;
}

QString PageObject::snapshot(QObject* object, const QString& fileName) {
  ScriptControl* control = ControlOf(object);
  if (control == nullptr) return {};
  const QString target = SnapshotTarget(fileName);
  if (target.isEmpty()) {
    page_.engine->throwError(
        QStringLiteral("snapshot '%1': a snapshot is saved inside the output folder")
            .arg(fileName));
    return {};
  }
  const QImage picture = control->Snapshot();
  QByteArray png;
  QBuffer buffer(&png);
  bool written =
      !picture.isNull() && buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG");
  if (written) {
    // Nor is a link that appeared since followed.
    const int fd = ::open(QFile::encodeName(target).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    written =
        fd >= 0 && ::write(fd, png.constData(), static_cast<std::size_t>(png.size())) == png.size();
    if (fd >= 0 && ::close(fd) != 0) written = false;
  }
  if (!written) {
    page_.ReportError(QStringLiteral("snapshot %1 could not be written").arg(target));
    return {};
  }
  snapshots_ << target;
  return target;
}

void PageObject::answerFileDialog(const QJSValue& path) {
  if (path.isNull() || path.isUndefined()) {
    dialogs_->QueueFileAnswer(std::nullopt);
  } else {
    dialogs_->QueueFileAnswer(this->path(path.toString()));
  }
}

void PageObject::answerMessageBox(int button) { dialogs_->QueueMessageAnswer(button); }

void PageObject::print(const QString& line) { page_.print(line); }

void PageObject::fail(const QString& message) { page_.ReportError(message); }

void PageObject::section(const QString& title) {
  if (window_ != nullptr) window_->StartSection(title);
}

QObject* PageObject::button(const QString& label, const QJSValue& handler) {
  auto* element = new PageButton(page_, label, handler, this);
  if (window_ != nullptr) window_->AddButton(*element, {});
  return Keep(element);
}

QObject* PageObject::swatch(const QString& color, const QJSValue& handler) {
  auto* element = new PageButton(page_, color, handler, this);
  if (window_ != nullptr) window_->AddButton(*element, color);
  return Keep(element);
}

QObject* PageObject::list(const QString& title, const QJSValue& handler) {
  auto* element = new PageList(page_, handler, this);
  if (window_ != nullptr) window_->AddList(*element, title);
  return Keep(element);
}

QObject* PageObject::label(const QString& text) {
  auto* element = new PageLabel(text, this);
  if (window_ != nullptr) window_->AddLabel(*element);
  return Keep(element);
}

}  // namespace varn::host
