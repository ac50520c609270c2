unit uAbout;

interface

uses
  Windows, Messages, SysUtils, Classes, Graphics, Controls, Forms,
  Dialogs, StdCtrls, ExtCtrls;

type
  TfrmAbout = class(TForm)
    lblName: TLabel;
    bvlLine: TBevel;
    memNotes: TMemo;
    btnOK: TButton;
    procedure FormShow(Sender: TObject);
  private
    { Private declarations }
  public
    { Public declarations }
  end;

var
  frmAbout: TfrmAbout;

implementation

{$R *.dfm}

procedure TfrmAbout.FormShow(Sender: TObject);
begin
  lblName.Caption := Application.Title + ' ' + FormatDateTime('yyyy', Now);
end;

end.
