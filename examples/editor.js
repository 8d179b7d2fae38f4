// A posting page for the picture editor, as a blog site would write it: the
// member adds photos, edits each one (pen, eraser, mosaic, crop, size,
// rotation, effects, frames with the blog's caption, a signature picture or
// a stamp, balloon texts, a comment), moves between them in the picture list,
// undoes and redoes, and posts them all with Submit.
//
// The photos are the page's own: it paints two on a drawing board and keeps
// snapshots of them, and one more comes with the page,
// editor-photo-sideways.jpg, a small generated JPEG stored a quarter turn on
// its side with EXIF orientation 6, as a phone writes a photo taken upright.
// (It was made once with Qt's JPEG writer and an EXIF segment added by hand;
// it holds no photograph from elsewhere.)
//
// With a member at the keyboard (varn-page --window) the page only builds
// itself; the member picks photos in the file dialog and edits with the
// mouse. Otherwise the script plays the member and checks that the site
// stored every picture with its thumbnail.

'use strict';

// ---------------------------------------------------------------- the photos

page.section('Photos (painted by the page)');
const easel = page.create('VarnPostingTool.DrawingControl', 640, 480);
easel.imageWidth = 640;
easel.imageHeight = 480;

function shape(color, type, from, to) {
  easel.toolType = 5;
  easel.shapeType = type;
  easel.paletteColor = color;
  page.drag(easel, [from, to]);
}
function fill(color) {
  easel.toolType = 9;
  easel.paletteColor = color;
  page.press(easel, 2, 2);
  page.release(easel, 2, 2);
}
const BOX = 3;
const ELLIPSE = 4;

function paintBeach() {
  fill('#8ec5f0');                                          // sky
  shape('#2a6fb0', BOX, [0, 250], [640, 360]);              // sea
  shape('#e8d39a', BOX, [0, 360], [640, 480]);              // sand
  shape('#ffd23f', ELLIPSE, [480, 40], [580, 140]);         // sun
  shape('#ffffff', ELLIPSE, [80, 60], [240, 110]);          // a cloud
  shape('#c0392b', BOX, [300, 200], [310, 250]);            // a mast
  shape('#f5f5f5', BOX, [260, 240], [360, 262]);            // a boat
}
function paintCity() {
  shape('#f4a460', BOX, [0, 0], [640, 480]);                // evening sky
  const towers = [[20, 180, '#34495e'], [130, 120, '#2c3e50'], [240, 220, '#5d6d7e'],
                  [350, 90, '#283747'], [460, 160, '#1b2631'], [560, 200, '#4d5656']];
  for (const [x, top, color] of towers) shape(color, BOX, [x, top], [x + 90, 480]);
  for (let y = 140; y < 460; y += 40) shape('#f7dc6f', BOX, [372, y], [382, y + 14]);
}
function paintSignature() {
  easel.imageWidth = 120;
  easel.imageHeight = 50;
  fill('#ffffff');
  easel.toolType = 2;
  easel.penWidth = 3;
  easel.paletteColor = '#1a237e';
  page.drag(easel, [[10, 35], [25, 12], [35, 38], [50, 14], [65, 36], [80, 16], [110, 30]]);
}

paintBeach();
const beach = page.snapshot(easel, 'photo-beach.png');
paintCity();
const city = page.snapshot(easel, 'photo-city.png');
paintSignature();
const signature = page.snapshot(easel, 'signature.png');
const sideways = page.scriptDir + '/editor-photo-sideways.jpg';

// ---------------------------------------------------------------- the editor

page.section('Your photos');
const editor = page.create('VarnPostingTool.ImageEditControl', 530, 400);
// Frames with the caption flag show the blog's name, which the editor takes
// from a posting address on the blog's own site (name.varn...). The local
// site's address has none, so the page names the blog first; an address
// without the name keeps the caption.
editor.ActionPage = 'http://my-seaside-blog.varn.example/post';
editor.ActionPage = page.picturePostAddress;
editor.FileKey = page.fileKey;
editor.Cookie = page.cookie;

const status = page.label('no photo yet');
const result = page.label('');
const seen = { added: [], sizes: [], tabs: [], scrolls: 0, updates: 0, uploads: [],
               complete: null, deleted: [] };
let shownSize = [530, 400];

function show(name, args) {
  page.print('event ' + name + '(' + Array.prototype.map.call(args, function (value) {
    return typeof value === 'string' ? JSON.stringify(value) : String(value);
  }).join(', ') + ')');
}

const pictures = page.list('Pictures', function (index) { editor.imageIndex = index; });
function refreshList() {
  const rows = [];
  for (let i = 0; i < seen.added.length; ++i) rows.push((i + 1) + ': ' + seen.added[i]);
  pictures.setItems(rows, editor.imageIndex);
}

// ---------------------------------------------------------------- the page's controls

page.section('Picture');
const actions = {
  add: page.button('Add photo...', function () { editor.AddImage(); }),
  remove: page.button('Remove photo', function () { editor.DeleteImage(); }),
  undo: page.button('Undo', function () { editor.UndoRedo(0); }),
  redo: page.button('Redo', function () { editor.UndoRedo(1); }),
  reset: page.button('Start over', function () { editor.ResetImage(); }),
  submit: page.button('Submit', function () {
    result.setText('posting...');
    editor.SaveAndSubmit();  // the upload events arrive before it returns
  }),
};

page.section('Tools');
const tools = [['Scroll', 0], ['Move text', 1], ['Pen', 2], ['Eraser', 3], ['Mosaic', 5],
               ['Signature', 7], ['Crop', 8]];
const toolButtons = {};
for (const [label, type] of tools) {
  toolButtons[label] = page.button(label, function () { editor.toolType = type; });
}
for (const width of [2, 5, 10]) {
  page.button('Pen ' + width + ' px', function () { editor.drawPenWidth = width; });
}
page.button('Eraser 20 px', function () { editor.eraserPenWidth = 20; });
page.button('Mosaic blocks 12', function () { editor.mozaicSize = 12; });
// The pen colours, with the member's last five as swatches of their own.
const favorites = [];
function choosePen(color) {
  editor.drawPenColor = color;
  for (let i = 0; i < 5; ++i) favorites[i].setColor(editor.GetFavoriteColor(i));
}
for (const color of ['#e74c3c', '#f1c40f', '#2ecc71', '#ffffff', '#000000']) {
  page.swatch(color, function () { choosePen(color); });
}
for (let i = 0; i < 5; ++i) {
  favorites.push(page.swatch('#000000', function () { choosePen(editor.GetFavoriteColor(i)); }));
}

page.section('Size and turn');
const sizes = [['Full', 0], ['Large (470)', 1], ['400', 2], ['300', 3], ['200', 4]];
for (const [label, type] of sizes) {
  page.button(label, function () { editor.imageSizeType = type; });
}
page.button('Width 350', function () { editor.imageWidth = 350; });
page.button('Turn left', function () { editor.RotateImage(-90); });
page.button('Turn right', function () { editor.RotateImage(90); });

page.section('Effects');
const effects = [['Soften', 0], ['Sharpen', 1], ['Black and white', 2], ['Auto levels', 3],
                 ['Auto contrast', 4]];
for (const [label, code] of effects) {
  page.button(label, function () {
    const on = (editor.GetEffectFlag() & (1 << code)) !== 0;
    editor.SetEffect(code, on ? 0 : 1);
  });
}

page.section('Frames');
for (let frame = 0; frame <= 9; ++frame) {
  page.button(frame === 0 ? 'No frame' : 'Frame ' + frame, function () {
    editor.frameIndex = frame;
  });
}
page.button('Blog name under the frame', function () {
  editor.frameUseUrl = editor.frameUseUrl ? 0 : 1;
});
page.button('Same frame for all photos', function () {
  editor.imageWholeFrameApply = editor.imageWholeFrameApply ? 0 : 1;
});

page.section('Signature and stamp');
page.button('Signature picture...', function () { editor.signIndex = 0; editor.SetSignFilePath(); });
page.button('Stamp', function () {
  editor.signIndex = 1;
  editor.signStampText = 'my-seaside-blog';
});
page.button('Round stamp', function () { editor.signStampIndex = 1; });
for (const [label, align] of [['Free', 0], ['Top left', 1], ['Top right', 2],
                              ['Bottom left', 3], ['Bottom right', 4]]) {
  page.button(label, function () { editor.signAlign = align; });
}

page.section('Balloon texts');
const balloons = [['Plain', 0x00], ['Box', 0x11], ['Rounded', 0x21], ['Spiky', 0x33]];
for (const [label, index] of balloons) {
  page.button(label, function () { editor.textCartoonIndex = index; });
}
page.button('Bold', function () { editor.fontStyle = editor.fontStyle ^ 1; });
page.button('Larger', function () { editor.fontSize = editor.fontSize + 4; });
page.button('Red text', function () { editor.fontColor = '#c0392b'; });
page.button('Yellow balloon', function () { editor.fontBgColor = '#fff59d'; });
page.button('Done with the text', function () { editor.ApplyCurrentText(); });
function writeText(text) { editor.textCurrentText = text; }

const comment = page.label('comment: ');
function writeComment(text, align) {
  editor.imageComment = text;
  editor.imageCommentAlign = align;
  comment.setText('comment: ' + text);
}

// ---------------------------------------------------------------- the events

// The page gives the control the size of the picture it shows.
editor.OnChangeSize = function (width, height) {
  show('OnChangeSize', arguments);
  seen.sizes.push([width, height]);
  shownSize = [width, height];
  page.resize(editor, width, height);
  status.setText('shown at ' + width + ' x ' + height);
};
editor.OnChangeImage = function (index) {
  show('OnChangeImage', arguments);
  refreshList();
  comment.setText('comment: ' + (editor.imageIndex >= 0 ? (editor.imageComment || '') : ''));
};
editor.OnChangeTab = function (tool) {
  show('OnChangeTab', arguments);
  seen.tabs.push(tool);
  for (const [label, value] of tools) toolButtons[label].checked = value === tool;
};
editor.OnAddImage = function (index, path) {
  show('OnAddImage', arguments);
  seen.added.splice(index, 0, path.replace(/^.*\//, ''));
};
editor.OnDeleteImage = function (index) {
  show('OnDeleteImage', arguments);
  seen.deleted.push(seen.added.splice(index, 1)[0]);
};
editor.OnUpdateData = function () {
  show('OnUpdateData', arguments);
  seen.updates += 1;
};
editor.OnScroll = function (dx, dy) {
  show('OnScroll', arguments);
  seen.scrolls += 1;
};
editor.OnUploadFile = function (id, name, path, size, text, align) {
  show('OnUploadFile', arguments);
  seen.uploads.push({ id: id, name: name, path: path, size: Number(size), comment: text,
                      align: align });
};
editor.OnUploadFileComplete = function (code) {
  show('OnUploadFileComplete', arguments);
  seen.complete = code;
  result.setText(code === 0 ? 'your photos are posted' : 'the post failed');
};

// ---------------------------------------------------------------- the member

function addPhoto(path) {
  page.answerFileDialog(path);
  actions.add.click();
}

function check(condition, message) {
  if (!condition) page.fail(message);
}

function lastSize() { return seen.sizes[seen.sizes.length - 1]; }

function editBeach() {
  addPhoto(beach);
  check(lastSize()[0] === 470 && lastSize()[1] === 352, 'the beach was not shown at 470 x 352');
  toolButtons['Pen'].click();
  choosePen('#e74c3c');
  editor.drawPenWidth = 5;
  page.drag(editor, [[60, 300], [120, 280], [180, 300], [240, 280]]);  // a red wave
  toolButtons['Scroll'].click();
  page.drag(editor, [[40, 40], [40, 40]]);  // the next text goes here
  writeText('Sea, at last!');
  editor.textCartoonIndex = 0x21;
  editor.fontSize = 16;
  editor.fontBgColor = '#fff59d';
  editor.ApplyCurrentText();
  editor.frameIndex = 7;
  editor.frameUseUrl = 1;
  writeComment('The first swim of the year', 1);
}

function editCity() {
  addPhoto(city);
  editor.RotateImage(90);
  editor.RotateImage(-90);
  editor.SetEffect(1, 1);   // sharpen
  editor.SetEffect(4, 1);   // auto contrast
  toolButtons['Mosaic'].click();
  editor.mozaicSize = 12;
  page.drag(editor, [[200, 200], [260, 260], [300, 300]]);  // a window nobody should see
  editor.signIndex = 1;
  editor.signStampText = 'my-seaside-blog';
  editor.signAlign = 4;
  editor.imageSizeType = 3;  // 300 wide
  check(lastSize()[0] === 300, 'the city was not made 300 wide');
  editor.UndoRedo(0);
  editor.UndoRedo(1);
  writeComment('Downtown at dusk', 0);
}

function editSideways() {
  addPhoto(sideways);
  // Shown upright: the stored pixels are 180 x 240.
  check(lastSize()[0] === 240 && lastSize()[1] === 180,
        'the sideways photo was not turned upright: ' + JSON.stringify(lastSize()));
  toolButtons['Crop'].click();
  page.drag(editor, [[10, 10], [200, 120], [230, 170]]);
  check(lastSize()[0] === 220 && lastSize()[1] === 160, 'the crop did not give 220 x 160');
  toolButtons['Pen'].click();
  choosePen('#000000');
  page.drag(editor, [[20, 140], [200, 140]]);
  toolButtons['Eraser'].click();
  editor.eraserPenWidth = 20;
  page.drag(editor, [[100, 130], [120, 150]]);
  page.answerFileDialog(signature);
  editor.signIndex = 0;
  editor.SetSignFilePath();
  editor.signAlign = 3;
  editor.frameIndex = 2;
  toolButtons['Scroll'].click();
  page.drag(editor, [[150, 20], [140, 40]]);  // the page is asked to scroll
  writeComment('Our hut', 2);
}

function tryNotAPicture() {
  const before = seen.added.length;
  page.answerFileDialog(page.scriptDir + '/editor.js');
  page.answerMessageBox(1);
  actions.add.click();
  check(seen.added.length === before, 'a script was taken for a picture');
}

function tryRemoving() {
  addPhoto(beach);
  actions.remove.click();
  check(seen.deleted.length === 1 && seen.added.length === 3, 'removing the extra photo failed');
}

// Each file the site lists is opened from the site's folder in an editor of
// its own at full width: a file that did not arrive whole does not open, and
// one of another size is not what the member saw. The site answers in the
// form's order: each picture, then its thumbnail.
function openedSize(path) {
  const viewer = page.create('VarnPostingTool.ImageEditControl', 10, 10);
  let opened = null;
  viewer.OnChangeSize = function (width, height) { opened = [width, height]; };
  page.answerFileDialog(path);
  viewer.AddImage();
  viewer.imageSizeType = 0;
  return opened;
}

// The site lists the pictures it stored, in the form's order; thumbnails go
// unlisted.
function checkStored(expected) {
  check(seen.complete === 0, 'the post did not succeed');
  check(seen.uploads.length === expected.length,
        'the site listed ' + seen.uploads.length + ' pictures, not ' + expected.length);
  for (let i = 0; i < seen.uploads.length && i < expected.length; ++i) {
    const upload = seen.uploads[i];
    const path = page.path('site' + upload.path);
    const opened = openedSize(path);
    check(upload.size > 0, 'picture ' + i + ' arrived empty');
    check(upload.comment === expected[i].comment, 'picture ' + i + ' came back without its comment');
    if (opened === null || opened[0] !== expected[i].size[0] ||
        opened[1] !== expected[i].size[1]) {
      page.fail('picture ' + i + ' is not the picture that was sent: ' + JSON.stringify(opened) +
                ' instead of ' + JSON.stringify(expected[i].size));
    }
    page.label('picture ' + i + ': ' + page.siteAddress.replace(/\/$/, '') + upload.path + ' (' +
               upload.size + ' bytes)');
    page.print('stored picture ' + i + ' at ' + path);
  }
}

function playMember() {
  editBeach();
  editCity();
  editSideways();
  tryNotAPicture();
  tryRemoving();
  // What every picture looks like now, as the page shows it.
  const expected = [];
  for (let i = 0; i < 3; ++i) {
    pictures.select(i);
    expected.push({ size: shownSize.slice(), comment: editor.imageComment });
  }
  pictures.select(0);
  page.snapshot(editor, 'editor-shown.png');
  check(seen.tabs.indexOf(8) >= 0 && seen.tabs.indexOf(5) >= 0, 'the tool buttons did nothing');
  check(seen.scrolls > 0, 'the scroll drag was not reported');
  actions.submit.click();
  checkStored(expected);
  page.print('submitted: ' + JSON.stringify(seen.uploads));
}

refreshList();
if (!page.interactive) playMember();
