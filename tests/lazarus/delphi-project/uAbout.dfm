object frmAbout: TfrmAbout
  Left = 245
  Top = 171
  BorderStyle = bsDialog
  Caption = 'About'
  ClientHeight = 201
  ClientWidth = 313
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poMainFormCenter
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 13
  object lblName: TLabel
    Left = 16
    Top = 16
    Width = 28
    Height = 13
    Caption = 'Demo'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Font.Style = [fsBold]
    ParentFont = False
  end
  object bvlLine: TBevel
    Left = 16
    Top = 40
    Width = 281
    Height = 2
    Shape = bsTopLine
  end
  object memNotes: TMemo
    Left = 16
    Top = 52
    Width = 281
    Height = 101
    Lines.Strings = (
      'A small Delphi 7 project that qvconvert takes '
      'to Lazarus: the forms, their units and the '
      'program.')
    ReadOnly = True
    ScrollBars = ssVertical
    TabOrder = 0
  end
  object btnOK: TButton
    Left = 119
    Top = 164
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'OK'
    Default = True
    ModalResult = 1
    TabOrder = 1
  end
end
