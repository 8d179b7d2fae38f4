// A profile page for the cropper, as a blog site would write it: the member's
// photograph in the cropper, the selection for the three profile pictures,
// Save and Submit, and the pictures the site stored.
//
// The photograph is the page's own: before anything else it paints a
// portrait on a drawing board and keeps a snapshot of it, so the example
// needs no picture from elsewhere.
//
// With a member at the keyboard (varn-page --window) the page only builds
// itself; the member drags the selection with the mouse or moves it with the
// arrow keys (Shift for 10 pixels) and slides the square with Page Up and
// Page Down. Otherwise the script plays the member: it moves the selection,
// resizes it by a corner, slides the square, nudges it with the keys,
// submits, and checks that the site stored all three pictures.

'use strict';

// ---------------------------------------------------------------- the photograph

page.section('The photograph (painted by the page)');
const easel = page.create('VarnPostingTool.DrawingControl', 800, 600);
easel.imageWidth = 800;
easel.imageHeight = 600;

function shape(color, type, from, to) {
  easel.toolType = 5;
  easel.shapeType = type;
  easel.paletteColor = color;
  page.drag(easel, [from, to]);
}

function paintPortrait() {
  const FILLED_BOX = 3;
  const FILLED_ELLIPSE = 4;
  easel.toolType = 9;  // fill: the sky
  easel.paletteColor = '#7fb2e5';
  page.press(easel, 10, 10);
  page.release(easel, 10, 10);
  shape('#5a9a3c', FILLED_BOX, [0, 430], [800, 600]);         // a meadow
  shape('#f5d142', FILLED_ELLIPSE, [620, 50], [730, 160]);    // the sun
  shape('#2f6b2a', FILLED_ELLIPSE, [40, 250], [200, 470]);    // a tree
  shape('#6b4423', FILLED_BOX, [110, 440], [130, 520]);
  shape('#c0392b', FILLED_BOX, [320, 300], [480, 600]);       // the member: a red jumper
  shape('#4a2c17', FILLED_ELLIPSE, [332, 118], [468, 220]);   // hair
  shape('#f1c27d', FILLED_ELLIPSE, [342, 150], [458, 292]);   // face
  shape('#222222', FILLED_ELLIPSE, [370, 200], [386, 214]);   // eyes
  shape('#222222', FILLED_ELLIPSE, [414, 200], [430, 214]);
  shape('#a0522d', FILLED_ELLIPSE, [384, 250], [416, 262]);   // a smile
}

paintPortrait();
const photo = page.snapshot(easel, 'photo.png');

// ---------------------------------------------------------------- the cropper

page.section('Profile picture');
const cropper = page.create('VarnPostingTool.ProfileImageCropper', 500, 500);
cropper.ActionPage = page.profilePostAddress;
cropper.FileKey = page.fileKey;
cropper.Cookie = page.cookie;

const sizeLabel = page.label('no photograph yet');
const resultLabel = page.label('');

const seen = { sizes: [], uploads: [], complete: null };

function show(name, args) {
  page.print('event ' + name + '(' + Array.prototype.map.call(args, function (value) {
    return typeof value === 'string' ? JSON.stringify(value) : String(value);
  }).join(', ') + ')');
}

// The cropper tells the page the photograph's display size; the page gives
// the control exactly that size.
cropper.OnSizeChange = function (width, height) {
  show('OnSizeChange', arguments);
  seen.sizes.push([width, height]);
  page.resize(cropper, width, height);
  sizeLabel.setText('shown at ' + width + ' x ' + height);
};
cropper.OnUploadFile = function (id, name, path, size) {
  show('OnUploadFile', arguments);
  seen.uploads.push({ id: id, name: name, path: path, size: Number(size) });
};
cropper.OnUploadFileComplete = function (code) {
  show('OnUploadFileComplete', arguments);
  seen.complete = code;
  resultLabel.setText(code === 0 ? 'your profile pictures are posted' : 'the post failed');
};

const actions = {
  load: page.button('Use the photograph', function () { cropper.ProfileImagePath = photo; }),
  save: page.button('Save', function () {
    const saved = cropper.Save();
    page.print('saved: ' + saved + ' ' + JSON.stringify([cropper.SmallImagePath,
                                                         cropper.BigImagePath,
                                                         cropper.MiniImagePath]));
  }),
  submit: page.button('Submit', function () {
    resultLabel.setText('posting...');
    cropper.Submit();  // the upload events arrive before it returns
  }),
};

// ---------------------------------------------------------------- the stored pictures

// Each picture the site lists is opened from the site's folder in a viewer
// of its own, which tells its size as the cropper does: a picture that did
// not arrive whole does not open.
page.section('Stored on the site');
const expected = [
  { name: 'profileImage0.jpg', shown: [500, 500] },  // small, 148 x 148
  { name: 'profileImage1.jpg', shown: [336, 500] },  // big, 148 x 220
  { name: 'profileImage2.jpg', shown: [500, 500] },  // mini, 70 x 70
];

function showStored() {
  if (seen.complete !== 0) page.fail('the post did not succeed');
  if (seen.uploads.length !== expected.length) {
    page.fail('the site listed ' + seen.uploads.length + ' pictures, not ' + expected.length);
  }
  for (let i = 0; i < expected.length; ++i) {
    const upload = seen.uploads.find(function (u) { return u.name.endsWith(expected[i].name); });
    if (upload === undefined) {
      page.fail(expected[i].name + ' did not arrive');
      continue;
    }
    page.label(expected[i].name + ': ' + page.siteAddress.replace(/\/$/, '') + upload.path +
               ' (' + upload.size + ' bytes)');
    const viewer = page.create('VarnPostingTool.ProfileImageCropper', 500, 500);
    let shown = null;
    viewer.OnSizeChange = function (width, height) {
      shown = [width, height];
      page.resize(viewer, width, height);
    };
    // The embedded site keeps what it stores under the page's output folder.
    viewer.ProfileImagePath = page.path('site' + upload.path);
    if (shown === null) {
      page.fail(expected[i].name + ' is not a picture on the site');
    } else if (shown[0] !== expected[i].shown[0] || shown[1] !== expected[i].shown[1]) {
      page.fail(expected[i].name + ' has the wrong size: shown at ' + shown.join(' x '));
    } else {
      page.snapshot(viewer, 'stored-' + expected[i].name.replace('.jpg', '.png'));
    }
    if (!(upload.size > 0)) page.fail(expected[i].name + ' arrived empty');
  }
}

// ---------------------------------------------------------------- the member

function playMember() {
  if (seen.sizes.length !== 1 || seen.sizes[0][0] !== 500 || seen.sizes[0][1] !== 375) {
    page.fail('the photograph was not shown at 500 x 375: ' + JSON.stringify(seen.sizes));
  }
  page.snapshot(cropper, 'cropper-loaded.png');  // the selection in the middle

  // The selection starts at (176, 77, 324, 297) with its square at the top:
  // up by 50 (held below the square), then smaller by its bottom-right
  // corner (the proportions give way on the wide side), the square a little
  // down, and the rest with the keys to frame the face.
  page.drag(cropper, [[250, 260], [250, 230], [250, 210]]);
  page.drag(cropper, [[324, 247], [310, 220], [300, 200]]);
  page.drag(cropper, [[230, 60], [230, 80], [230, 100]]);
  page.key(cropper, 'Right', true);
  for (let i = 0; i < 4; ++i) page.key(cropper, 'Right');
  page.key(cropper, 'Down');
  page.key(cropper, 'PageDown');
  page.snapshot(cropper, 'cropper-selection.png');

  actions.save.click();
  if (cropper.SmallImagePath === '' || cropper.BigImagePath === '' ||
      cropper.MiniImagePath === '') {
    page.fail('Save did not write all three pictures');
  }
  actions.submit.click();
  showStored();
  page.print('submitted: ' + JSON.stringify(seen.uploads));
}

actions.load.click();
if (!page.interactive) playMember();
