// DrawingControl: the drawing board as a page sees it. Scripting calls and the
// window's mouse messages change the document's current state; every event
// they cause reaches the page before the call or message returns; painting
// composes the state straight into the surface when the bounds have the
// canvas's size, else renders it into the back buffer and stretches that over
// the bounds, whole pixels only. A pen or eraser gesture repaints only the box
// of each new segment.
//
// Members whose operation refuses still answer S_OK (the page learns what
// happened from the events); malformed colour texts give E_INVALIDARG.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "common/imaging_startup.h"
#include "drawing/drawing_document.h"
#include "drawing/recent_colors.h"
#include "drawing/stroke_layer.h"
#include "drawing/tool_types.h"
#include "platform/com/identifiers.h"
#include "platform/imaging/bitmap.h"
#include "platform/imaging/geometry.h"
#include "platform/ui/scripted_control.h"

namespace varn::drawing {

// Dispids of IDrawingControl.
enum DrawingDispid : DISPID {
  kDispZoomValue = 1,
  kDispRedo = 2,
  kDispUndo = 3,
  kDispClear = 4,
  kDispImageWidth = 5,
  kDispImageHeight = 6,
  kDispAddLayer = 7,
  kDispDeleteLayer = 8,
  kDispSelectLayer = 9,
  kDispMergeLayer = 10,
  kDispMoveLayer = 11,
  kDispPaletteColor = 12,
  kDispToggleLayerVisibility = 13,
  kDispRequestLayersInfo = 14,
  kDispToolType = 15,
  kDispPenType = 16,
  kDispPenWidth = 17,
  kDispPenTransparency = 18,
  kDispEraserWidth = 19,
  kDispLineType = 20,
  kDispLineWidth = 21,
  kDispLineTransparency = 22,
  kDispShapeType = 23,
  kDispShapeWidth = 24,
  kDispShapeTransparency = 25,
  kDispEffectWidth = 26,
  kDispEffectType = 27,
  kDispTextCurrent = 28,
  kDispTextFontName = 29,
  kDispTextFontSize = 30,
  kDispTextFontAlign = 31,
  kDispTextFontStyle = 32,
  kDispTextFontColor = 33,
  kDispSaveAndSubmit = 34,
  kDispActionPage = 35,
  kDispFileKey = 36,
  kDispEraserType = 37,
  kDispGetPaletteColor = 38,
  kDispExportToFile = 39,
  kDispImportFromFile = 40,
  kDispCookie = 41,
};

// Dispids of _IDrawingControlEvents.
enum DrawingEvent : DISPID {
  kOnSizeChange = 1,
  kOnAddLayer = 2,
  kOnDeleteLayer = 3,
  kOnSelectLayer = 4,
  kOnMoveLayer = 5,
  kOnToggleLayerVisibility = 6,
  kOnInvalidateInfo = 7,
  kOnUpdateLayerInfo = 8,
  kOnChangeTab = 9,
  kOnUploadFile = 10,
  kOnUploadFileComplete = 11,
  kOnUpdateColor = 12,
  kOnMoveImage = 13,
};

// Room kept for a gesture's points when the control is made; a gesture gives
// its storage up when it ends.
inline constexpr size_t kReservedStrokePoints = 1024;

class CDrawingControl final
    : public ui::ScriptedControl<CDrawingControl, IID_IDrawingControl, DIID__IDrawingControlEvents,
                                 ui::StockProbes<IID_IDrawingControl>> {
 public:
  CDrawingControl();
  ~CDrawingControl() override;

  static constexpr com::TypeNames kTypeNames{u"DrawingControl", u"IDrawingControl",
                                             u"_IDrawingControlEvents"};
  static constexpr const CLSID& kClassId = CLSID_DrawingControl;
  static std::span<const com::DispatchMember<CDrawingControl>> DispatchMembers();
  // _IDrawingControlEvents: what Fire sends for each DrawingEvent.
  static std::span<const com::MemberInfo> EventMembers();

  // Canvas size and zoom.
  HRESULT get_zoomValue(int32_t* value);
  HRESULT put_zoomValue(int32_t value);
  HRESULT get_imageWidth(int32_t* value);
  HRESULT put_imageWidth(int32_t value);
  HRESULT get_imageHeight(int32_t* value);
  HRESULT put_imageHeight(int32_t value);

  // History.
  HRESULT Undo();
  HRESULT Redo();
  HRESULT Clear();

  // Layers.
  HRESULT AddLayer();
  HRESULT DeleteLayer();
  HRESULT SelectLayer(int32_t index);
  HRESULT MergeLayer();
  HRESULT MoveLayer(VARIANT_BOOL up);
  HRESULT ToggleLayerVisibility(int32_t index);
  HRESULT RequestLayersInfo();

  // Colours and the recent-colour swatches.
  HRESULT get_paletteColor(BSTR* value);
  HRESULT put_paletteColor(BSTR value);
  HRESULT GetPaletteColor(int32_t index, BSTR* color);

  // Tool settings: plain fields of the current state.
  HRESULT get_toolType(int32_t* value);
  HRESULT put_toolType(int32_t value);
  HRESULT get_penType(int32_t* value);
  HRESULT put_penType(int32_t value);
  HRESULT get_penWidth(int32_t* value);
  HRESULT put_penWidth(int32_t value);
  HRESULT get_penTransparency(int32_t* value);
  HRESULT put_penTransparency(int32_t value);
  HRESULT get_eraserType(int32_t* value);
  HRESULT put_eraserType(int32_t value);
  HRESULT get_eraserWidth(int32_t* value);
  HRESULT put_eraserWidth(int32_t value);
  HRESULT get_lineType(int32_t* value);
  HRESULT put_lineType(int32_t value);
  HRESULT get_lineWidth(int32_t* value);
  HRESULT put_lineWidth(int32_t value);
  HRESULT get_lineTransparency(int32_t* value);
  HRESULT put_lineTransparency(int32_t value);
  HRESULT get_shapeType(int32_t* value);
  HRESULT put_shapeType(int32_t value);
  HRESULT get_shapeWidth(int32_t* value);
  HRESULT put_shapeWidth(int32_t value);
  HRESULT get_shapeTransparency(int32_t* value);
  HRESULT put_shapeTransparency(int32_t value);
  HRESULT get_effectType(int32_t* value);
  HRESULT put_effectType(int32_t value);
  HRESULT get_effectWidth(int32_t* value);
  HRESULT put_effectWidth(int32_t value);

  // Text objects.
  HRESULT get_textCurrent(BSTR* value);
  HRESULT put_textCurrent(BSTR value);
  HRESULT get_textFontName(BSTR* value);
  HRESULT put_textFontName(BSTR value);
  HRESULT get_textFontSize(int32_t* value);
  HRESULT put_textFontSize(int32_t value);
  HRESULT get_textFontAlign(int32_t* value);
  HRESULT put_textFontAlign(int32_t value);
  HRESULT get_textFontStyle(int32_t* value);
  HRESULT put_textFontStyle(int32_t value);
  HRESULT get_textFontColor(BSTR* value);
  HRESULT put_textFontColor(BSTR value);

  // Upload strings, stored as given (null as empty).
  HRESULT get_ActionPage(BSTR* value);
  HRESULT put_ActionPage(BSTR value);
  HRESULT get_FileKey(BSTR* value);
  HRESULT put_FileKey(BSTR value);
  HRESULT get_Cookie(BSTR* value);
  HRESULT put_Cookie(BSTR value);

  // The flattened drawing posted to ActionPage; the outcome reaches the page
  // as OnUploadFile per reply record and OnUploadFileComplete.
  HRESULT SaveAndSubmit();
  // The paint file, through the host's save and open dialogs.
  HRESULT ExportToFile();
  HRESULT ImportFromFile();

 protected:
  ui::MessageReply ProcessWindowMessage(const ui::WindowMessage& message) override;
  void OnDraw(const ui::DrawContext& context) override;
  // Every pixel of the bounds is painted opaque, so Draw needs no pass to
  // make them so.
  bool DrawsOpaquePixels() const override { return true; }

 private:
  enum class Axis { kWidth, kHeight };

  CDrawingState& Current() { return *document_->current; }
  // The canvas position of a mouse message: client coordinates over the zoom.
  imaging::PointF CanvasPosition(LPARAM lParam) const;

  ui::MessageReply OnEraseBackground(const ui::WindowMessage& message);
  ui::MessageReply OnLButtonDown(const ui::WindowMessage& message);
  ui::MessageReply OnMouseMove(const ui::WindowMessage& message);
  ui::MessageReply OnLButtonUp(const ui::WindowMessage& message);
  ui::MessageReply OnRButtonDown(const ui::WindowMessage& message);
  ui::MessageReply OnLButtonDblClk(const ui::WindowMessage& message);
  ui::MessageReply OnCancelMode(const ui::WindowMessage& message);

  // Acts on a pointer handler's answer: capture, release, events, repaint,
  // colour pick, in that order.
  void ApplyToolResult(ToolResult result, imaging::PointF position);
  // A pen or eraser gesture kept in strokeLayer_: starts it after the press,
  // adds the move's segment and repaints only what the segment changed.
  // Returns the result left for ApplyToolResult.
  ToolResult TrackStroke(ToolResult result, imaging::PointF position, bool press);
  // The gesture's kept stroke while it stands for the state's tool, else null.
  const StrokeLayer* ActiveStroke() {
    return strokeLayer_.Serves(Current()) ? &strokeLayer_ : nullptr;
  }
  // Marks a canvas rectangle for repainting, in client pixels by the zoom.
  void RepaintCanvasRect(const imaging::Rect& rect);
  void PickColor(imaging::PointF position);
  void ForgetGesture();

  HRESULT PutCanvasSize(Axis axis, int32_t value);
  // A fresh back buffer of the current canvas size; false when it cannot be
  // made (the old one is kept).
  bool RemakeBackBuffer();
  void FireSizeChange();
  bool BackBufferFitsCanvas() const;
  // SaveAndSubmit's work; may throw std::bad_alloc.
  void SubmitDrawing();
  // Writes the drawing and posts it; false when either failed, the reply
  // otherwise. The submit's temporary files are gone when it returns.
  bool PostDrawing(std::u16string& reply);
  void AfterHistoryMove(int32_t moved);
  void Repaint();

  static HRESULT PutString(BSTR value, std::u16string& field);
  static HRESULT GetString(const std::u16string& field, BSTR* value);

  // Declared first: the imaging runtime outlives every bitmap below.
  ImagingScope imaging_;
  std::unique_ptr<CDrawingDocument> document_;
  // 24bpp, canvas size: the picture stretched over bounds of another size,
  // and rendered whole for the colour picker and the upload.
  std::unique_ptr<imaging::Bitmap> backBuffer_;
  int32_t zoom_ = 1;
  std::vector<imaging::PointF> strokePoints_;
  // The running pen or eraser gesture's pixels; inactive between gestures.
  StrokeLayer strokeLayer_;
  bool captured_ = false;
  RecentColors recentColors_;
  std::u16string cookie_;
  std::u16string actionPage_;
  std::u16string fileKey_;
};

}  // namespace varn::drawing
