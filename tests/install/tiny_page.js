// Creates a control by its version-independent ProgID, found through the
// registry store the installed varn-regsvr wrote.
const board = page.create('VarnPostingTool.DrawingControl', 300, 300);
if (board.imageWidth !== 300) page.fail('the drawing board is ' + board.imageWidth + ' wide');
page.print('created ' + board.imageWidth + ' x ' + board.imageHeight);
