object frmMain: TfrmMain
  Left = 192
  Top = 114
  Width = 480
  Height = 360
  Caption = 'qvConvertFiles demo'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  KeyPreview = True
  Menu = MainMenu1
  OldCreateOrder = False
  Position = poScreenCenter
  PrintScale = poNone
  OnCreate = FormCreate
  OnKeyDown = FormKeyDown
  PixelsPerInch = 96
  TextHeight = 13
  object pnlTop: TPanel
    Left = 0
    Top = 0
    Width = 472
    Height = 41
    Align = alTop
    BevelOuter = bvNone
    TabOrder = 0
    object lblTitle: TLabel
      Left = 8
      Top = 14
      Width = 117
      Height = 13
      Caption = 'Units of the project'
    end
    object btnAbout: TButton
      Left = 388
      Top = 8
      Width = 75
      Height = 25
      Anchors = [akTop, akRight]
      Caption = '&About...'
      TabOrder = 0
      OnClick = btnAboutClick
    end
  end
  object hdrColumns: THeaderControl
    Left = 0
    Top = 41
    Width = 472
    Height = 17
    Sections = <
      item
        AutoSize = True
        ImageIndex = -1
        Text = 'Name'
        Width = 320
      end
      item
        ImageIndex = -1
        MinWidth = 60
        Text = 'Size'
        Width = 152
      end>
  end
  object tvItems: TTreeView
    Left = 0
    Top = 58
    Width = 472
    Height = 229
    Align = alClient
    ChangeDelay = 50
    Indent = 19
    PopupMenu = pmTree
    ReadOnly = True
    TabOrder = 1
  end
  object sbStatus: TStatusBar
    Left = 0
    Top = 287
    Width = 472
    Height = 19
    Panels = <>
    SimplePanel = True
  end
  object pmTree: TPopupMenu
    MenuAnimation = [maTopToBottom]
    Left = 40
    Top = 96
    object miExpandAll: TMenuItem
      Caption = '&Expand all'
      OnClick = miExpandAllClick
    end
    object miCollapseAll: TMenuItem
      Caption = '&Collapse all'
      OnClick = miCollapseAllClick
    end
  end
  object MainMenu1: TMainMenu
    Left = 8
    Top = 96
    object miFile: TMenuItem
      Caption = '&File'
      object miExit: TMenuItem
        Caption = 'E&xit'
        ShortCut = 32856
        OnClick = miExitClick
      end
    end
    object miHelp: TMenuItem
      Caption = '&Help'
      object miAbout: TMenuItem
        Caption = '&About...'
        OnClick = btnAboutClick
      end
    end
  end
end
