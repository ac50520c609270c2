{ Built into a converted program ahead of its own units (fpc -Faqvcprobe), so the program's sources stay as
  the conversion wrote them. Once the application is idle with its main form on the screen, writes
  "main form loaded: <caption>" to the file that QVC_PROBE_FILE names and ends the program normally. An
  exception that reaches the application (a form the LCL cannot read, a resource that is missing...) is
  written there as "error: <class>: <message>" and ends the program with exit code 3; one that escapes the
  program is written the same way, then goes on to the handler that was there before (the LCL's).
  It must not use Interfaces: starting the LCL's widget set is the converted program's own job. }
unit qvcprobe;

{$mode objfpc}{$H+}

interface

implementation

uses
  SysUtils, Forms;

type
  TProbe = class
    procedure Idle(Sender: TObject; var Done: Boolean);
    procedure Failed(Sender: TObject; E: Exception);
  end;

var
  Probe: TProbe;
  Reported: Boolean = False;
  PreviousExceptProc: TExceptProc;

procedure Report(const Line: string);
var
  Output: TextFile;
begin
  if Reported then
    Exit;
  Reported := True;
  AssignFile(Output, GetEnvironmentVariable('QVC_PROBE_FILE'));
  Rewrite(Output);
  WriteLn(Output, Line);
  CloseFile(Output);
end;

procedure TProbe.Idle(Sender: TObject; var Done: Boolean);
var
  Form: TForm;
begin
  Form := Application.MainForm;
  if Reported or (Form = nil) or not Form.Visible or not Form.HandleAllocated then
    Exit;
  Report('main form loaded: ' + Form.Caption);
  Application.Terminate;
end;

procedure TProbe.Failed(Sender: TObject; E: Exception);
begin
  Report('error: ' + E.ClassName + ': ' + E.Message);
  Halt(3);
end;

procedure Unhandled(Obj: TObject; Addr: CodePointer; FrameCount: Longint; Frame: PCodePointer);
begin
  if Obj is Exception then
    Report('error: ' + Obj.ClassName + ': ' + Exception(Obj).Message)
  else
    Report('error: ' + Obj.ClassName);
  if PreviousExceptProc <> nil then
    PreviousExceptProc(Obj, Addr, FrameCount, Frame);
end;

initialization
  if GetEnvironmentVariable('QVC_PROBE_FILE') = '' then
  begin
    WriteLn(StdErr, 'qvcprobe: QVC_PROBE_FILE names no file');
    Halt(4);
  end;
  Probe := TProbe.Create;
  Application.AddOnIdleHandler(@Probe.Idle);
  Application.OnException := @Probe.Failed;
  PreviousExceptProc := ExceptProc;
  ExceptProc := @Unhandled;
end.
