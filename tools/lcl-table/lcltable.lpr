{ Writes the LCL's classes, their published properties, the item classes of their collections and the names
  their DefineProperties adds, read from the run-time type information of the LCL this program is built with, to
  the file its one argument names. scripts/lcl-table builds it and makes that file data/lcl-published.txt; the
  format is described in the header written with it.

  The classes to start from come from lcltable-seeds.inc (every class the interface of the LCL's component units
  declares, listed by scripts/lcl-table from the compiled units); the program adds their ancestors, the class
  types of their published properties and the item classes of their collections. Components are created with
  Owner=nil to read their collections and to run DefineProperties; a class whose creation fails keeps its
  run-time type information only, and a comment says so. }
program lcltable;

{$mode objfpc}{$H+}

uses
  Interfaces, Classes, SysUtils, TypInfo, Forms, Graphics, ComCtrls, LCLVersion, LCLPlatformDef, InterfaceBase,
  {$I lcltable-uses.inc};

type
  TDefineProc = procedure(Filer: TFiler) of object;

  { Reaches the protected DefineProperties of any persistent. }
  TPersistentAccess = class(TPersistent);

  { A reader that only notes the names DefineProperties hands it; it is a TReader so that implementations that
    define some names for reading only are seen as the LCL sees them when it loads a form. }
  TNameRecorder = class(TReader)
  public
    Names: TStringList;
    constructor Create(AStream: TStream);
    destructor Destroy; override;
    procedure DefineProperty(const Name: string; AReadData: TReaderProc; WriteData: TWriterProc;
      HasData: Boolean); override;
    procedure DefineBinaryProperty(const Name: string; AReadData, WriteData: TStreamProc;
      HasData: Boolean); override;
  end;

  TDefineState = (dsNotNeeded, dsRecorded, dsNoInstance, dsFailed);

  TClassEntry = class
  public
    Cls: TClass;
    Name: string;
    FromUnit: string;
    Instance: TObject;       // a live object of this class or of a descendant
    CreateError: string;     // a component class whose creation raised
    Created: Boolean;
    ItemClass: TClass;       // collections: the item class their instances report
    ItemNotes: TStringList;  // other item classes seen for the same collection class
    Props: TStringList;      // "Name kind [Type]" of the properties introduced here
    Defines: TStringList;
    DefineState: TDefineState;
    DefineError: string;
    DefineNotes: TStringList;
    constructor Create(AClass: TClass);
    destructor Destroy; override;
  end;

  { Ends the program on an exception nothing else caught. }
  TExceptionStop = class
    procedure Stop(Sender: TObject; E: Exception);
  end;

var
  Table: TStringList;       // class name -> TClassEntry, sorted for look-up
  Entries: TFPList;         // the same entries in the order they came in, for walks that add entries
  Duplicates: TStringList;  // "Name: UnitA and UnitB"
  Visited: TFPList;         // objects already walked
  DefineSlot: PtrUInt;      // byte offset of DefineProperties in a class's virtual method table

{ TExceptionStop }

procedure TExceptionStop.Stop(Sender: TObject; E: Exception);
begin
  // The LCL would show a dialog and wait for an answer that never comes.
  WriteLn(StdErr, 'lcltable: ', E.ClassName, ': ', E.Message);
  Halt(1);
end;

function UpperFirstOrder(List: TStringList; Index1, Index2: Integer): Integer;
begin
  // Case-insensitive first (Pascal names), then byte order, so the output never depends on the locale.
  Result := CompareStr(UpperCase(List[Index1]), UpperCase(List[Index2]));
  if Result = 0 then
    Result := CompareStr(List[Index1], List[Index2]);
end;

procedure SortNames(List: TStringList);
begin
  List.Sorted := False;
  List.CustomSort(@UpperFirstOrder);
end;

function Joined(List: TStringList): string;
var
  I: Integer;
begin
  Result := '';
  for I := 0 to List.Count - 1 do begin
    if I > 0 then
      Result := Result + ' ';
    Result := Result + List[I];
  end;
end;

function NewNameList: TStringList;
begin
  Result := TStringList.Create;
  Result.CaseSensitive := False;
end;

{ TNameRecorder }

constructor TNameRecorder.Create(AStream: TStream);
begin
  inherited Create(AStream, 16);
  Names := NewNameList;
end;

destructor TNameRecorder.Destroy;
begin
  Names.Free;
  inherited Destroy;
end;

procedure TNameRecorder.DefineProperty(const Name: string; AReadData: TReaderProc; WriteData: TWriterProc;
  HasData: Boolean);
begin
  if Names.IndexOf(Name) < 0 then
    Names.Add(Name);
end;

procedure TNameRecorder.DefineBinaryProperty(const Name: string; AReadData, WriteData: TStreamProc;
  HasData: Boolean);
begin
  if Names.IndexOf(Name) < 0 then
    Names.Add(Name);
end;

{ TClassEntry }

constructor TClassEntry.Create(AClass: TClass);
begin
  Cls := AClass;
  Name := AClass.ClassName;
  FromUnit := AClass.UnitName;
  ItemNotes := NewNameList;
  Props := NewNameList;
  Defines := NewNameList;
  DefineNotes := NewNameList;
end;

destructor TClassEntry.Destroy;
begin
  ItemNotes.Free;
  Props.Free;
  Defines.Free;
  DefineNotes.Free;
  inherited Destroy;
end;

function FindEntry(AClass: TClass): TClassEntry;
var
  I: Integer;
begin
  Result := nil;
  if AClass = nil then
    Exit;
  I := Table.IndexOf(AClass.ClassName);
  if (I >= 0) and (TClassEntry(Table.Objects[I]).Cls = AClass) then
    Result := TClassEntry(Table.Objects[I]);
end;

procedure AddClass(AClass: TClass);
var
  I: Integer;
  Other: TClassEntry;
  Note: string;
begin
  while AClass <> nil do begin
    I := Table.IndexOf(AClass.ClassName);
    if I >= 0 then begin
      Other := TClassEntry(Table.Objects[I]);
      if Other.Cls <> AClass then begin
        Note := Format('%s: %s and %s', [AClass.ClassName, Other.FromUnit, AClass.UnitName]);
        if Duplicates.IndexOf(Note) < 0 then
          Duplicates.Add(Note);
      end;
      Exit;
    end;
    Other := TClassEntry.Create(AClass);
    Table.AddObject(AClass.ClassName, Other);
    Entries.Add(Other);
    AClass := AClass.ClassParent;
  end;
end;

procedure Seed(AClass: TClass);
begin
  if AClass.InheritsFrom(TPersistent) then
    AddClass(AClass);
end;

procedure AddSeeds;
begin
  {$I lcltable-seeds.inc}
end;

function PropClass(Info: PPropInfo): TClass;
begin
  Result := nil;
  if Info^.PropType^.Kind = tkClass then
    Result := GetTypeData(Info^.PropType)^.ClassType;
end;

{ Adds the class types of every published property of the table's classes until nothing new comes in. }
procedure CloseOverPropertyTypes;
var
  I, J, Count: Integer;
  List: PPropList;
  Entry: TClassEntry;
begin
  I := 0;
  while I < Entries.Count do begin
    Entry := TClassEntry(Entries[I]);
    if Entry.Cls.ClassInfo <> nil then begin
      Count := GetPropList(Entry.Cls.ClassInfo, List);
      try
        for J := 0 to Count - 1 do
          if PropClass(List^[J]) <> nil then
            AddClass(PropClass(List^[J]));
      finally
        FreeMem(List);
      end;
    end;
    Inc(I);
  end;
end;

procedure NoteInstance(Obj: TObject);
var
  C: TClass;
  Entry: TClassEntry;
begin
  C := Obj.ClassType;
  while C <> nil do begin
    Entry := FindEntry(C);
    if (Entry <> nil) and (Entry.Instance = nil) then
      Entry.Instance := Obj;
    C := C.ClassParent;
  end;
end;

procedure NoteItemClass(CollectionClass, AItemClass: TClass);
var
  Entry: TClassEntry;
begin
  Entry := FindEntry(CollectionClass);
  if (Entry = nil) or (AItemClass = nil) then
    Exit;
  AddClass(AItemClass);
  if Entry.ItemClass = nil then
    Entry.ItemClass := AItemClass
  else if (Entry.ItemClass <> AItemClass) and (Entry.ItemNotes.IndexOf(AItemClass.ClassName) < 0) then
    Entry.ItemNotes.Add(AItemClass.ClassName);
end;

{ Walks an object's published object-valued properties (and one item of each collection) so that the table
  gets an instance of as many classes as possible and the item class of every collection a property holds. }
procedure Walk(Obj: TObject; Depth: Integer);
var
  I, Count: Integer;
  List: PPropList;
  Value: TObject;
  Declared: TClass;
  Collection: TCollection;
begin
  if (Obj = nil) or (Depth > 8) or (Visited.IndexOf(Obj) >= 0) then
    Exit;
  Visited.Add(Obj);
  NoteInstance(Obj);
  if Obj is TCollection then begin
    Collection := TCollection(Obj);
    NoteItemClass(Collection.ClassType, Collection.ItemClass);
    try
      if Collection.Count = 0 then
        Collection.Add;
    except
      // An owner that cannot take an item yet: the item class is known all the same.
    end;
    if Collection.Count > 0 then
      Walk(Collection.Items[0], Depth + 1);
  end;
  // The list and tree views keep their items in lists of their own, not in collections.
  try
    if (Obj is TListItems) and (TListItems(Obj).Count = 0) then
      Walk(TListItems(Obj).Add, Depth + 1)
    else if (Obj is TTreeNodes) and (TTreeNodes(Obj).Count = 0) then
      Walk(TTreeNodes(Obj).Add(nil, ''), Depth + 1);
  except
    // The lists' item classes then keep their run-time type information only.
  end;
  if Obj.ClassInfo = nil then
    Exit;
  Count := GetPropList(Obj.ClassInfo, List);
  try
    for I := 0 to Count - 1 do begin
      Declared := PropClass(List^[I]);
      if Declared = nil then
        Continue;
      try
        Value := GetObjectProp(Obj, List^[I]);
      except
        Value := nil;
      end;
      if Value = nil then
        Continue;
      if (Value is TCollection) and Declared.InheritsFrom(TCollection) then
        NoteItemClass(Declared, TCollection(Value).ItemClass);
      Walk(Value, Depth + 1);
    end;
  finally
    FreeMem(List);
  end;
end;

function Describe(E: Exception): string;
begin
  Result := E.ClassName;
  if E.Message <> '' then
    Result := Result + ': ' + StringReplace(E.Message, LineEnding, ' ', [rfReplaceAll]);
end;

{ Creates every component class of the table once (Owner=nil, no parent) and walks what it holds. }
function CreateComponents: Boolean;
var
  I: Integer;
  Entry: TClassEntry;
  Names: TStringList;
  Obj: TComponent;
begin
  Result := False;
  Names := TStringList.Create;
  try
    Names.Assign(Table);
    SortNames(Names);
    for I := 0 to Names.Count - 1 do begin
      Entry := TClassEntry(Names.Objects[I]);
      if Entry.Created or not Entry.Cls.InheritsFrom(TComponent) then
        Continue;
      Entry.Created := True;
      Result := True;
      // The application object is a singleton that the Forms unit already made.
      if Entry.Cls = TApplication then begin
        Walk(Application, 0);
        Continue;
      end;
      // On standard error, so that a class that stops the program is named in scripts/lcl-table's log.
      WriteLn(StdErr, 'creating ', Entry.Name);
      try
        Obj := TComponentClass(Entry.Cls).Create(nil);
      except
        on E: Exception do begin
          Entry.CreateError := Describe(E);
          Continue;
        end;
      end;
      Walk(Obj, 0);
    end;
  finally
    Names.Free;
  end;
end;

{ Classes still without an instance whose constructor is virtual in their base. }
procedure CreateOthers;
var
  I: Integer;
  Entry: TClassEntry;
  Obj: TObject;
begin
  I := 0;
  while I < Entries.Count do begin
    Entry := TClassEntry(Entries[I]);
    Inc(I);
    if (Entry.Instance <> nil) or Entry.Cls.InheritsFrom(TComponent) then
      Continue;
    Obj := nil;
    try
      if Entry.Cls.InheritsFrom(TCollectionItem) then
        Obj := TCollectionItemClass(Entry.Cls).Create(nil)
      else if Entry.Cls.InheritsFrom(TGraphic) then
        Obj := TGraphicClass(Entry.Cls).Create
      else if Entry.Cls = TPersistent then
        Obj := TPersistent.Create;
    except
      on E: Exception do
        Entry.CreateError := Describe(E);
    end;
    if Obj <> nil then
      Walk(Obj, 0);
  end;
end;

function SlotCode(AClass: TClass): CodePointer;
begin
  Result := PCodePointer(PByte(AClass) + DefineSlot)^;
end;

function OwnDefineCode(Probe: TPersistent): CodePointer;
var
  Method: TDefineProc;
begin
  Method := @TPersistentAccess(Probe).DefineProperties;
  Result := TMethod(Method).Code;
  Probe.Free;
end;

procedure FindDefineSlot;
var
  Code: CodePointer;
  I: Integer;
begin
  // TPersistent's DefineProperties is empty, and the compiler gives all empty methods one body, so the slot is
  // found through TComponent's. The first slot holding that code: a scan past the end of TComponent's table
  // would meet it again in a descendant's.
  Code := OwnDefineCode(TComponent.Create(nil));
  DefineSlot := 0;
  for I := 0 to 63 do
    if PCodePointer(PByte(TComponent) + vmtMethodStart + I * SizeOf(CodePointer))^ = Code then begin
      DefineSlot := vmtMethodStart + I * SizeOf(CodePointer);
      Break;
    end;
  if (DefineSlot = 0) or (SlotCode(TStringList) <> OwnDefineCode(TStringList.Create))
    or (SlotCode(TStringList) = Code) then
    raise Exception.Create('DefineProperties not found in the virtual method table');
end;

{ The names one class's own DefineProperties (with what it inherits) defines, run on an object of that class or
  of a descendant. }
procedure DefinedBy(AClass: TClass; Instance: TObject; Names: TStringList);
var
  Method: TDefineProc;
  Stream: TMemoryStream;
  Recorder: TNameRecorder;
begin
  Stream := TMemoryStream.Create;
  Recorder := TNameRecorder.Create(Stream);
  try
    TMethod(Method).Code := SlotCode(AClass);
    TMethod(Method).Data := Instance;
    Method(Recorder);
    Names.Assign(Recorder.Names);
  finally
    Recorder.Free;
    Stream.Free;
  end;
end;

procedure RecordDefines;
var
  I, J: Integer;
  Entry: TClassEntry;
  Own, FromParent: TStringList;
begin
  Own := NewNameList;
  FromParent := NewNameList;
  try
    for I := 0 to Table.Count - 1 do begin
      Entry := TClassEntry(Table.Objects[I]);
      if not Entry.Cls.InheritsFrom(TPersistent) then
        Continue;
      if (Entry.Cls <> TPersistent) and (SlotCode(Entry.Cls) = SlotCode(Entry.Cls.ClassParent)) then
        Continue;
      if Entry.Instance = nil then begin
        Entry.DefineState := dsNoInstance;
        Continue;
      end;
      try
        DefinedBy(Entry.Cls, Entry.Instance, Own);
        FromParent.Clear;
        if Entry.Cls <> TPersistent then
          DefinedBy(Entry.Cls.ClassParent, Entry.Instance, FromParent);
      except
        on E: Exception do begin
          Entry.DefineState := dsFailed;
          Entry.DefineError := Describe(E);
          Continue;
        end;
      end;
      Entry.DefineState := dsRecorded;
      for J := 0 to Own.Count - 1 do
        if FromParent.IndexOf(Own[J]) < 0 then
          Entry.Defines.Add(Own[J]);
      for J := 0 to FromParent.Count - 1 do
        if Own.IndexOf(FromParent[J]) < 0 then
          Entry.DefineNotes.Add(FromParent[J]);
    end;
  finally
    Own.Free;
    FromParent.Free;
  end;
end;

procedure RecordProps;
var
  I, J, Count: Integer;
  List: PPropList;
  Entry: TClassEntry;
  Info, ParentInfo: PPropInfo;
  Line: string;
begin
  for I := 0 to Table.Count - 1 do begin
    Entry := TClassEntry(Table.Objects[I]);
    if Entry.Cls.ClassInfo = nil then
      Continue;
    Count := GetPropList(Entry.Cls.ClassInfo, List);
    try
      for J := 0 to Count - 1 do begin
        Info := List^[J];
        ParentInfo := nil;
        if (Entry.Cls.ClassParent <> nil) and (Entry.Cls.ClassParent.ClassInfo <> nil) then
          ParentInfo := GetPropInfo(Entry.Cls.ClassParent, Info^.Name);
        // A property the parent publishes is inherited, unless this class declares it again with another type.
        if (ParentInfo <> nil) and (ParentInfo^.PropType = Info^.PropType) then
          Continue;
        if Info^.PropType^.Kind = tkClass then
          Line := Info^.Name + ' class ' + Info^.PropType^.Name
        else
          Line := Info^.Name + ' other';
        Entry.Props.Add(Line);
      end;
    finally
      FreeMem(List);
    end;
  end;
end;

function ParentName(Entry: TClassEntry): string;
begin
  if Entry.Cls.ClassParent = nil then
    Result := '-'
  else
    Result := Entry.Cls.ClassParent.ClassName;
end;

function LclVersionText: string;
begin
  // lcl_version is major.minor.release.patch; a patch of 0 is left out, as the LCL's releases are named.
  Result := lcl_version;
  if (Length(Result) > 2) and (Copy(Result, Length(Result) - 1, 2) = '.0') then
    SetLength(Result, Length(Result) - 2);
end;

procedure WriteTable(const FileName: string);
var
  Dest: TextFile;
  I, J: Integer;
  Entry: TClassEntry;
  Names: TStringList;
begin
  AssignFile(Dest, FileName);
  Rewrite(Dest);
  WriteLn(Dest, '# generated by scripts/lcl-table from the LCL''s run-time type information: do not edit');
  WriteLn(Dest, 'lcl ', LclVersionText, ' fpc ', {$I %FPCVERSION%}, ' widgetset ',
    LCLPlatformDirNames[WidgetSet.LCLPlatform]);
  WriteLn(Dest, '# class <Name> <Parent>: every class of the table, "-" for no parent');
  WriteLn(Dest, '# prop <Class> <Property> class <Type> | other: a published property introduced at this class (or');
  WriteLn(Dest, '#   published again with another type)');
  WriteLn(Dest, '# item <Collection> <ItemClass>: the item class the collection''s instances report');
  WriteLn(Dest, '# define <Class> <Name>...: the names this class''s DefineProperties adds to its parent''s, as spelled');
  WriteLn(Dest, '#   there; the LCL matches them without regard to letter case');
  for I := 0 to Duplicates.Count - 1 do
    WriteLn(Dest, '# two classes share the name ', Duplicates[I], ': the first is in the table');
  Names := TStringList.Create;
  try
    Names.Assign(Table);
    SortNames(Names);
    for I := 0 to Names.Count - 1 do begin
      Entry := TClassEntry(Names.Objects[I]);
      if Entry.CreateError <> '' then
        WriteLn(Dest, '# ', Entry.Name, ' could not be created (', Entry.CreateError, '): its run-time type ',
          'information only');
      case Entry.DefineState of
        dsNoInstance:
          WriteLn(Dest, '# ', Entry.Name, ' overrides DefineProperties but no object of it could be made: ',
            'no define line');
        dsFailed:
          WriteLn(Dest, '# ', Entry.Name, '''s DefineProperties failed (', Entry.DefineError, '): no define line');
      end;
      if Entry.DefineNotes.Count > 0 then begin
        SortNames(Entry.DefineNotes);
        WriteLn(Dest, '# ', Entry.Name, '''s DefineProperties leaves out what its parent''s defines: ',
          Joined(Entry.DefineNotes));
      end;
      if Entry.ItemNotes.Count > 0 then begin
        SortNames(Entry.ItemNotes);
        WriteLn(Dest, '# ', Entry.Name, ' instances also reported the item classes ', Joined(Entry.ItemNotes));
      end;
      WriteLn(Dest, 'class ', Entry.Name, ' ', ParentName(Entry));
      SortNames(Entry.Props);
      for J := 0 to Entry.Props.Count - 1 do
        WriteLn(Dest, 'prop ', Entry.Name, ' ', Entry.Props[J]);
      if Entry.ItemClass <> nil then
        WriteLn(Dest, 'item ', Entry.Name, ' ', Entry.ItemClass.ClassName);
      if Entry.Defines.Count > 0 then begin
        SortNames(Entry.Defines);
        WriteLn(Dest, 'define ', Entry.Name, ' ', Joined(Entry.Defines));
      end;
    end;
  finally
    Names.Free;
  end;
  CloseFile(Dest);
end;

begin
  if ParamCount <> 1 then begin
    WriteLn(StdErr, 'usage: lcltable OUTPUT-FILE');
    Halt(2);
  end;
  Application.OnException := @TExceptionStop(nil).Stop;
  try
    Application.Initialize;
    Table := NewNameList;
    Table.Sorted := True;
    Entries := TFPList.Create;
    Duplicates := TStringList.Create;
    Visited := TFPList.Create;
    FindDefineSlot;
    AddSeeds;
    repeat
      CloseOverPropertyTypes;
    until not CreateComponents;
    CloseOverPropertyTypes;
    CreateOthers;
    CloseOverPropertyTypes;
    RecordProps;
    RecordDefines;
    WriteTable(ParamStr(1));
  except
    on E: Exception do
      TExceptionStop(nil).Stop(nil, E);
  end;
end.
