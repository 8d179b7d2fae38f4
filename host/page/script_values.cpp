#include "host/page/script_values.h"

#include <QJSEngine>

#include <cmath>
#include <cstdint>
#include <limits>

namespace varn::host {

namespace {

bool SetString(const ModuleLink& module, const QString& text, VARIANT& variant, QString* error) {
  BSTR copy = ToBstr(module, text);
  if (copy == nullptr) {
    if (error != nullptr) *error = QStringLiteral("out of memory for a string argument");
    return false;
  }
  variant.vt = VT_BSTR;
  variant.bstrVal = copy;
  return true;
}

}  // namespace

bool ToVariant(const ModuleLink& module, const QJSValue& value, VARTYPE declared, VARIANT& variant,
               QString* error) {
  variant = VARIANT{};
  if (value.isUndefined()) return true;  // VT_EMPTY
  if (value.isNull()) {
    variant.vt = VT_NULL;
    return true;
  }
  if (value.isBool()) {
    if (declared == VT_BSTR) return SetString(module, value.toString(), variant, error);
    variant.vt = VT_BOOL;
    variant.boolVal = value.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
    return true;
  }
  if (value.isNumber()) {
    if (declared == VT_BSTR) return SetString(module, value.toString(), variant, error);
    const double number = value.toNumber();
    if (std::trunc(number) == number && number >= std::numeric_limits<int32_t>::min() &&
        number <= std::numeric_limits<int32_t>::max()) {
      variant.vt = VT_I4;
      variant.lVal = static_cast<int32_t>(number);
    } else {
      // The control converts or refuses it, as it would a browser's double.
      variant.vt = VT_R8;
      variant.dblVal = number;
    }
    return true;
  }
  if (value.isString()) return SetString(module, value.toString(), variant, error);
  if (error != nullptr) {
    *error = value.isCallable() ? QStringLiteral("a function cannot be passed to a control")
                                : QStringLiteral("an object cannot be passed to a control");
  }
  return false;
}

BSTR ToBstr(const ModuleLink& module, const QString& text) {
  return module.AllocString(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                                static_cast<size_t>(text.size())));
}

QString FromBstr(const ModuleLink& module, BSTR text) {
  if (text == nullptr) return {};
  return QString::fromUtf16(text, static_cast<qsizetype>(module.StringLength(text)));
}

QJSValue FromVariant(const ModuleLink& module, const VARIANT& variant) {
  switch (variant.vt) {
    case VT_EMPTY:
      return QJSValue(QJSValue::UndefinedValue);
    case VT_NULL:
      return QJSValue(QJSValue::NullValue);
    case VT_I2:
      return QJSValue(variant.iVal);
    case VT_I4:
    case VT_INT:
      return QJSValue(variant.lVal);
    case VT_UI4:
    case VT_UINT:
      return QJSValue(static_cast<double>(variant.ulVal));
    case VT_R4:
      return QJSValue(static_cast<double>(variant.fltVal));
    case VT_R8:
      return QJSValue(variant.dblVal);
    case VT_BOOL:
      return QJSValue(variant.boolVal != VARIANT_FALSE);
    case VT_BSTR:
      if (variant.bstrVal == nullptr) return QJSValue(QJSValue::NullValue);
      return QJSValue(FromBstr(module, variant.bstrVal));
    default:
      return QJSValue(QJSValue::UndefinedValue);
  }
}

QString DescribeHResult(HRESULT hr) {
  struct Named {
    HRESULT hr;
    const char* name;
  };
  static constexpr Named kNames[] = {
      {E_NOTIMPL, "E_NOTIMPL"},
      {E_NOINTERFACE, "E_NOINTERFACE"},
      {E_POINTER, "E_POINTER"},
      {E_ABORT, "E_ABORT"},
      {E_FAIL, "E_FAIL"},
      {E_UNEXPECTED, "E_UNEXPECTED"},
      {E_OUTOFMEMORY, "E_OUTOFMEMORY"},
      {E_INVALIDARG, "E_INVALIDARG"},
      {CLASS_E_CLASSNOTAVAILABLE, "CLASS_E_CLASSNOTAVAILABLE"},
      {DISP_E_MEMBERNOTFOUND, "DISP_E_MEMBERNOTFOUND"},
      {DISP_E_TYPEMISMATCH, "DISP_E_TYPEMISMATCH"},
      {DISP_E_UNKNOWNNAME, "DISP_E_UNKNOWNNAME"},
      {DISP_E_BADVARTYPE, "DISP_E_BADVARTYPE"},
      {DISP_E_OVERFLOW, "DISP_E_OVERFLOW"},
      {DISP_E_BADPARAMCOUNT, "DISP_E_BADPARAMCOUNT"},
      {DISP_E_PARAMNOTOPTIONAL, "DISP_E_PARAMNOTOPTIONAL"},
  };
  const QString number =
      QStringLiteral("0x") +
      QString::number(static_cast<uint32_t>(hr), 16).rightJustified(8, QLatin1Char('0')).toUpper();
  for (const Named& named : kNames) {
    if (named.hr == hr) return QStringLiteral("%1 (%2)").arg(QLatin1String(named.name), number);
  }
  return number;
}

QString DescribeScriptError(const QJSValue& error) {
  QString text = error.toString();
  const QStringList frames = error.property(QStringLiteral("stack")).toString().split('\n');
  for (const QString& frame : frames) {
    // A frame reads "function@file:///path/page.js:12".
    const qsizetype at = frame.indexOf('@');
    if (at < 0 || frame.mid(at + 1).startsWith(QStringLiteral("file:prelude"))) continue;
    QString place = frame.mid(at + 1);
    if (place.startsWith(QStringLiteral("file://"))) place = place.mid(7);
    text += QStringLiteral(" (at %1)").arg(place);
    break;
  }
  if (frames.size() > 1) text += QStringLiteral("\n  ") + frames.join(QStringLiteral("\n  "));
  return text;
}

void ThrowHResult(QJSEngine& engine, const QString& what, HRESULT hr) {
  QJSValue error = engine.newErrorObject(QJSValue::GenericError,
                                         what + QStringLiteral(": ") + DescribeHResult(hr));
  error.setProperty(QStringLiteral("number"), QJSValue(static_cast<int>(hr)));
  engine.throwError(error);
}

}  // namespace varn::host
