// The native side of the script's `page` object: it creates controls by class
// name, plays the member's mouse on them, answers their dialogs, takes
// snapshots, builds the page's own elements and prints to the console. The
// prelude wraps it in the JavaScript `page` the script uses.
#pragma once

#include <QJSValue>
#include <QObject>
#include <QString>
#include <QStringList>

#include <vector>

#include "host/page/page_context.h"
#include "host/page/page_site.h"
#include "host/page/page_ui.h"
#include "host/page/script_control.h"

namespace varn::host {

// What the script is told about the world around it.
struct PageSettings {
  QString siteAddress;
  QString picturePostAddress;
  QString profilePostAddress;
  QString cookie;
  QString fileKey;
  QString outputDir;
  // The folder of the page's script, for files that come with it.
  QString scriptDir;
  bool windowed = false;
  bool interactive = false;  // a member at the keyboard: the script does not play
};

class PageObject final : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString siteAddress MEMBER siteAddress_ CONSTANT)
  Q_PROPERTY(QString picturePostAddress MEMBER picturePostAddress_ CONSTANT)
  Q_PROPERTY(QString profilePostAddress MEMBER profilePostAddress_ CONSTANT)
  Q_PROPERTY(QString cookie MEMBER cookie_ CONSTANT)
  Q_PROPERTY(QString fileKey MEMBER fileKey_ CONSTANT)
  Q_PROPERTY(QString outputDir MEMBER outputDir_ CONSTANT)
  Q_PROPERTY(QString scriptDir MEMBER scriptDir_ CONSTANT)
  Q_PROPERTY(bool windowed MEMBER windowed_ CONSTANT)
  Q_PROPERTY(bool interactive MEMBER interactive_ CONSTANT)
  Q_PROPERTY(bool overtime READ Overtime)

 public:
  // window: the page's window, or null for a headless page.
  PageObject(PageContext& page, const PageSettings& settings, PageWindow* window,
             QObject* parent = nullptr);
  ~PageObject() override;

  // A new control of class className (a ProgID such as
  // "VarnPostingTool.DrawingControl", the bare "DrawingControl" or
  // "{class id}") with a client area of width × height. Through the registry
  // store, the class's module is the one it names; otherwise the module given.
  Q_INVOKABLE QObject* create(const QString& className, int width, int height);
  // action: "press", "move", "release", "doubleClick" or "rightPress".
  Q_INVOKABLE void mouse(QObject* control, const QString& action, int x, int y);
  Q_INVOKABLE void resize(QObject* control, int width, int height);
  // key: "Left", "Right", "Up", "Down", "PageUp" or "PageDown", pressed and
  // let go, with Shift held when shift is true.
  Q_INVOKABLE void key(QObject* control, const QString& key, bool shift);
  // Saves the control's picture as PNG under a name relative to outputDir;
  // a name that would lead out of it (absolute, "..", a link) throws.
  // Returns the file's absolute path.
  Q_INVOKABLE QString snapshot(QObject* control, const QString& fileName);
  // A path in outputDir.
  Q_INVOKABLE QString path(const QString& name) const;

  // The next file dialog chooses path (a string) or is cancelled (null).
  Q_INVOKABLE void answerFileDialog(const QJSValue& path);
  Q_INVOKABLE void answerMessageBox(int button);

  Q_INVOKABLE void print(const QString& line);
  // Marks the run as failed; the script goes on.
  Q_INVOKABLE void fail(const QString& message);

  Q_INVOKABLE void section(const QString& title);
  Q_INVOKABLE QObject* button(const QString& label, const QJSValue& handler);
  Q_INVOKABLE QObject* swatch(const QString& color, const QJSValue& handler);
  Q_INVOKABLE QObject* list(const QString& title, const QJSValue& handler);
  Q_INVOKABLE QObject* label(const QString& text);

  // Puts object (a new control) on the page with a client area of width ×
  // height; null with *error set when it is not a scriptable control.
  ScriptControl* AddControl(com::ComRef<IUnknown> object, int width, int height, QString* error);

  const QStringList& Snapshots() const { return snapshots_; }
  bool Overtime() const { return page_.overtime; }
  // Disconnects and releases every control; the page is over.
  void CloseControls();

 private:
  ScriptControl* ControlOf(QObject* object);
  // The class id and module of className; null with *error set when there
  // is none.
  const ModuleLink* FindClass(const QString& className, CLSID& clsid, QString* error);
  // Where a snapshot of that name goes, or empty when it would leave outputDir.
  QString SnapshotTarget(const QString& fileName) const;
  template <typename T>
  T* Keep(T* element);

  PageContext& page_;
  PageWindow* window_;
  com::ComRef<PageDialogs> dialogs_;
  com::ComRef<PageSite> site_;
  std::vector<ScriptControl*> controls_;
  QStringList snapshots_;

  QString siteAddress_, picturePostAddress_, profilePostAddress_, cookie_, fileKey_, outputDir_,
      scriptDir_;
  bool windowed_ = false;
  bool interactive_ = false;
};

// The script that makes `page` and `console` out of a PageObject: evaluating
// it gives a function that takes the PageObject and answers {page, console,
// wrap}, wrap turning a ScriptControl into the control a script uses.
extern const char* const kPagePrelude;

}  // namespace varn::host
