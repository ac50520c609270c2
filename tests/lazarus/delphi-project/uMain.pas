unit uMain;

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms,
  Dialogs, StdCtrls, ComCtrls, Menus, ExtCtrls;

type
  TfrmMain = class(TForm)
    pnlTop: TPanel;
    lblTitle: TLabel;
    btnAbout: TButton;
    hdrColumns: THeaderControl;
    tvItems: TTreeView;
    pmTree: TPopupMenu;
    miExpandAll: TMenuItem;
    miCollapseAll: TMenuItem;
    MainMenu1: TMainMenu;
    miFile: TMenuItem;
    miExit: TMenuItem;
    miHelp: TMenuItem;
    miAbout: TMenuItem;
    sbStatus: TStatusBar;
    procedure FormCreate(Sender: TObject);
    procedure FormKeyDown(Sender: TObject; var Key: Word; Shift: TShiftState);
    procedure btnAboutClick(Sender: TObject);
    procedure miExpandAllClick(Sender: TObject);
    procedure miCollapseAllClick(Sender: TObject);
    procedure miExitClick(Sender: TObject);
  private
    FSizeCount: Integer;
    procedure WMSize(var Message: TWMSize); message WM_SIZE;
  public
    property SizeCount: Integer read FSizeCount;
  end;

var
  frmMain: TfrmMain;

implementation

uses
  uAbout;

{$R *.dfm}

procedure TfrmMain.FormCreate(Sender: TObject);
var
  Root: TTreeNode;
  I: Integer;
begin
  Root := tvItems.Items.Add(nil, 'Units');
  for I := 1 to 3 do
    tvItems.Items.AddChild(Root, Format('Unit%d.pas', [I]));
  Root.Expand(True);
end;

procedure TfrmMain.FormKeyDown(Sender: TObject; var Key: Word;
  Shift: TShiftState);
begin
  if Key = VK_ESCAPE then
    Close;
end;

procedure TfrmMain.btnAboutClick(Sender: TObject);
begin
  frmAbout.ShowModal;
end;

procedure TfrmMain.miExpandAllClick(Sender: TObject);
begin
  tvItems.FullExpand;
end;

procedure TfrmMain.miCollapseAllClick(Sender: TObject);
begin
  tvItems.FullCollapse;
end;

procedure TfrmMain.miExitClick(Sender: TObject);
begin
  Close;
end;

procedure TfrmMain.WMSize(var Message: TWMSize);
begin
  inherited;
  Inc(FSizeCount);
  if sbStatus <> nil then
    sbStatus.SimpleText := Format('%d x %d', [Message.Width, Message.Height]);
end;

end.
