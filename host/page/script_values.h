// Values between the page's JavaScript and automation, as a browser's script
// engine converts them: numbers, booleans and strings pass as VT_I4 (or VT_R8),
// VT_BOOL and VT_BSTR; null is VT_NULL and undefined VT_EMPTY, which a string
// parameter takes as a null string, while "" stays an empty one.
#pragma once

#include <QJSValue>
#include <QString>

#include "host/page/module_link.h"

class QJSEngine;

namespace varn::host {

// An argument for a parameter of type declared (VT_I4, VT_BOOL or VT_BSTR).
// Strings are the module's; the caller clears the variant through it. False,
// with *error set, for a value no parameter takes (objects, functions).
bool ToVariant(const ModuleLink& module, const QJSValue& value, VARTYPE declared, VARIANT& variant,
               QString* error);

// A result or event argument as a script value; undefined for VT_EMPTY.
QJSValue FromVariant(const ModuleLink& module, const VARIANT& variant);

// A null BSTR reads as an empty text.
QString FromBstr(const ModuleLink& module, BSTR text);
// A BSTR of the module's allocator; null only when memory ran out.
BSTR ToBstr(const ModuleLink& module, const QString& text);

// "E_INVALIDARG (0x80070057)", or the number alone when it has no name here.
QString DescribeHResult(HRESULT hr);

// An error value for the console: its message, where in the page's script it
// was thrown (the prelude's own frames skipped), and the stack.
QString DescribeScriptError(const QJSValue& error);

// Throws a JavaScript Error in engine whose message is what plus the HRESULT's
// description, and whose `number` is the HRESULT, as a browser reports a
// failed call into a control.
void ThrowHResult(QJSEngine& engine, const QString& what, HRESULT hr);

}  // namespace varn::host
