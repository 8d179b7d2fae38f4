// A posting page for the drawing board, as a blog site would write it: a tool
// palette, widths and opacities, colour swatches with the recent colours, a
// layer list kept in step with the board's events, text objects, undo and
// redo, a paint file to keep the drawing, and Submit.
//
// With a member at the keyboard (varn-page --window) the page only builds
// itself. Otherwise the script plays the member: it draws a small picture on
// two layers, keeps it in a paint file, opens it again and submits it.

'use strict';

const board = page.create('VarnPostingTool.DrawingControl', 300, 300);
board.ActionPage = page.picturePostAddress;
board.FileKey = page.fileKey;
board.Cookie = page.cookie;

// ---------------------------------------------------------------- tools

const tools = [
  ['Hand', 0], ['Move', 1], ['Pen', 2], ['Eraser', 3], ['Line', 4],
  ['Shape', 5], ['Text', 6], ['Effect', 7], ['Picker', 8], ['Fill', 9],
];
const toolButtons = {};
page.section('Tools');
for (const [label, type] of tools) {
  toolButtons[label] = page.button(label, function () { board.toolType = type; });
}

function markTool(type) {
  for (const [label, value] of tools) toolButtons[label].checked = value === type;
}
markTool(board.toolType);

// The width and opacity buttons set those of the tool in use.
const widthProperty = { 2: 'penWidth', 3: 'eraserWidth', 4: 'lineWidth', 5: 'shapeWidth',
                        7: 'effectWidth' };
const opacityProperty = { 2: 'penTransparency', 4: 'lineTransparency',
                          5: 'shapeTransparency' };
page.section('Width and opacity');
const widthButtons = {};
for (const width of [1, 3, 5, 9, 15]) {
  widthButtons[width] = page.button(width + ' px', function () {
    const property = widthProperty[board.toolType];
    if (property !== undefined) board[property] = width;
  });
}
const opacityButtons = {};
for (const percent of [100, 50, 25]) {
  opacityButtons[percent] = page.button(percent + '%', function () {
    const property = opacityProperty[board.toolType];
    if (property !== undefined) board[property] = Math.round(255 * percent / 100);
  });
}
const styleButtons = {
  'Dotted line': page.button('Dotted line', function () { board.lineType = 2; }),
  'Curve': page.button('Curve', function () { board.lineType = 1; }),
  'Box': page.button('Box', function () { board.shapeType = 0; }),
  'Ellipse': page.button('Filled ellipse', function () { board.shapeType = 4; }),
  'Filled box': page.button('Filled box', function () { board.shapeType = 3; }),
  'Blur': page.button('Blur', function () { board.effectType = 0; }),
};

// ---------------------------------------------------------------- colours

page.section('Colours');
const palette = ['#000000', '#ffffff', '#e03030', '#f0a020', '#f0e040', '#40b040',
                 '#3070e0', '#8040c0', '#808080'];
const swatches = {};
for (const color of palette) {
  swatches[color] = page.swatch(color, function () {
    board.paletteColor = color;
    refreshRecentColors();
  });
}
page.section('Recent colours');
const recent = [];
for (let i = 0; i < 9; ++i) {
  const slot = i;
  recent.push(page.swatch('#000000', function () {
    board.paletteColor = board.GetPaletteColor(slot);
  }));
}

function refreshRecentColors() {
  for (let i = 0; i < recent.length; ++i) recent[i].setColor(board.GetPaletteColor(i));
}

// ---------------------------------------------------------------- layers

let layerRows = [];
let selectedLayer = -1;
const layerList = page.list('Layers', function (index) {
  // The list shows the top layer first; the board counts from the bottom.
  const layer = layerRows.length - 1 - index;
  if (layer !== selectedLayer) board.SelectLayer(layer);
});

function refreshLayers() {
  layerRows = [];
  board.RequestLayersInfo();  // one OnUpdateLayerInfo per layer, before it returns
  layerList.setItems(layerRows.slice().reverse(), layerRows.length - 1 - selectedLayer);
}

page.section('Layers');
const layerButtons = {
  add: page.button('Add layer', function () { board.AddLayer(); }),
  remove: page.button('Delete layer', function () { board.DeleteLayer(); }),
  merge: page.button('Merge down', function () { board.MergeLayer(); }),
  up: page.button('Up', function () { board.MoveLayer(true); }),
  down: page.button('Down', function () { board.MoveLayer(false); }),
  hide: page.button('Show / hide', function () { board.ToggleLayerVisibility(selectedLayer); }),
};

// ---------------------------------------------------------------- text

page.section('Text');
let texts = 0;
const textButtons = {
  add: page.button('New text', function () {
    board.toolType = 6;
    board.textCurrent = null;  // the next text is a new one
    board.textCurrent = 'Hello ' + (++texts);
  }),
  bigger: page.button('Bigger', function () { board.textFontSize = board.textFontSize + 4; }),
  bold: page.button('Bold', function () { board.textFontStyle = board.textFontStyle ^ 1; }),
  remove: page.button('Delete text', function () { board.textCurrent = null; }),
};

// ---------------------------------------------------------------- history, file, submit

page.section('Board');
const sizeLabel = page.label(board.imageWidth + ' x ' + board.imageHeight);
const resultLabel = page.label('');

page.section('Drawing');
const actions = {
  undo: page.button('Undo', function () { board.Undo(); }),
  redo: page.button('Redo', function () { board.Redo(); }),
  clear: page.button('Clear', function () { board.Clear(); }),
  save: page.button('Save to file', function () { board.ExportToFile(); }),
  open: page.button('Open file', function () { board.ImportFromFile(); }),
  submit: page.button('Submit', function () {
    resultLabel.setText('posting...');
    board.SaveAndSubmit();  // the upload events arrive before it returns
  }),
};

// ---------------------------------------------------------------- events

const seen = { uploads: [], complete: null, tabs: [] };

function show(name, args) {
  page.print('event ' + name + '(' + Array.prototype.map.call(args, function (value) {
    return typeof value === 'string' ? JSON.stringify(value) : String(value);
  }).join(', ') + ')');
}

board.OnSizeChange = function (width, height) {
  show('OnSizeChange', arguments);
  sizeLabel.setText(board.imageWidth + ' x ' + board.imageHeight + ', zoom ' + board.zoomValue);
};
board.OnAddLayer = function (id) { show('OnAddLayer', arguments); refreshLayers(); };
board.OnDeleteLayer = function (index) { show('OnDeleteLayer', arguments); refreshLayers(); };
board.OnSelectLayer = function (oldIndex, newIndex) {
  show('OnSelectLayer', arguments);
  refreshLayers();
};
board.OnMoveLayer = function (first, second) { show('OnMoveLayer', arguments); refreshLayers(); };
board.OnToggleLayerVisibility = function (index, visible) {
  show('OnToggleLayerVisibility', arguments);
  refreshLayers();
};
board.OnInvalidateInfo = function () {
  show('OnInvalidateInfo', arguments);
  refreshLayers();
  refreshRecentColors();
};
board.OnUpdateLayerInfo = function (index, id, selected, visible) {
  show('OnUpdateLayerInfo', arguments);
  layerRows[index] = (selected ? '> ' : '  ') + 'layer ' + id + (visible ? '' : ' (hidden)');
  if (selected) selectedLayer = index;
};
board.OnChangeTab = function (type) {
  show('OnChangeTab', arguments);
  seen.tabs.push(type);
  markTool(type);
};
board.OnUploadFile = function (id, name, path, size) {
  show('OnUploadFile', arguments);
  seen.uploads.push({ id: id, name: name, path: path, size: size });
  resultLabel.setText('posted ' + name + ' as ' + page.siteAddress.replace(/\/$/, '') + path);
};
board.OnUploadFileComplete = function (result) {
  show('OnUploadFileComplete', arguments);
  seen.complete = result;
  if (result !== 0) resultLabel.setText('the post failed');
};
board.OnUpdateColor = function () {
  show('OnUpdateColor', arguments);
  refreshRecentColors();
};
board.OnMoveImage = function (dx, dy) { show('OnMoveImage', arguments); };

refreshLayers();
refreshRecentColors();

// ---------------------------------------------------------------- the member

function playMember() {
  // A red stroke with the pen on the bottom layer.
  toolButtons.Pen.click();
  swatches['#e03030'].click();
  widthButtons[5].click();
  page.drag(board, [[30, 40], [60, 70], [100, 80], [140, 60], [170, 90]]);

  // A dotted blue line and a yellow filled ellipse.
  toolButtons.Line.click();
  swatches['#3070e0'].click();
  styleButtons['Dotted line'].click();
  widthButtons[3].click();
  page.drag(board, [[20, 250], [280, 200]]);
  toolButtons.Shape.click();
  swatches['#f0e040'].click();
  styleButtons.Ellipse.click();
  page.drag(board, [[180, 120], [270, 190]]);

  // A second layer with a half-transparent green box over the stroke.
  layerButtons.add.click();
  swatches['#40b040'].click();
  styleButtons['Filled box'].click();
  opacityButtons[50].click();
  page.drag(board, [[50, 50], [150, 150]]);

  // One step back and forth, then a text object.
  actions.undo.click();
  actions.redo.click();
  swatches['#000000'].click();
  textButtons.add.click();
  textButtons.bigger.click();
  toolButtons.Pen.click();  // the text stays, without its frame
  layerList.select(1);      // the bottom layer, as the member picks it in the list

  // Keep the drawing in a paint file, wipe the board, and open the file again.
  const paintFile = page.path('drawing.tbp');
  page.answerFileDialog(paintFile);
  actions.save.click();
  actions.clear.click();
  page.answerFileDialog(paintFile);
  actions.open.click();
  if (layerRows.length !== 2) page.fail('the reopened drawing has ' + layerRows.length + ' layers');

  actions.submit.click();
  page.snapshot(board, 'drawing.png');

  if (seen.complete !== 0) page.fail('the post did not succeed');
  if (seen.uploads.length === 0) page.fail('the site stored no picture');
  if (seen.tabs.indexOf(4) < 0) page.fail('the Line button did not change the tool');
  page.print('submitted: ' + JSON.stringify(seen.uploads));
}

if (!page.interactive) playMember();
