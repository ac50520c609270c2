#!/usr/bin/env python3
"""Writes a realistic Delphi project tree for tests and benchmarks.

    gen_tree.py --units N --out DIR [--seed S] [--forms-ratio R] [--dat FILE] [--twins DIR] [--scope-traps]

The tree holds a .dpr project file, N units (.pas) spread over a few folders, and a form file (.dfm) for
about R of them, some stored as text and some in binary form (0xFF resource header, then the "TPF0"
stream). Units have interface and implementation uses clauses naming VCL/RTL units and each other,
classes, methods, string literals and comments written in Windows-1252 (Portuguese accents). Files end
their lines with CR LF, LF or a lone CR, and a few mix them. With --dat, the find texts of that
repository file join the vocabulary, so its pairs fire now and then. With --twins, the text form of
every binary form is also written under DIR at the same relative path, as the form reader must give it.
With --scope-traps, units also hold unit names where only the code scope's reader tells them from code:
in comments, strings (multi-line ones too), #nn codes and compiler directives ({$ } and (*$ *)), and
uses clauses with {$IFDEF} branches; form strings hold them too. Without it a tree is the same as before
the option existed.

The same arguments always give the same bytes.
"""

import argparse
import os
import random
import struct
import sys

VCL_UNITS = ["Windows", "Messages", "SysUtils", "Variants", "Classes", "Graphics", "Controls", "Forms",
             "Dialogs", "StdCtrls", "ExtCtrls", "ComCtrls", "Buttons", "Menus", "Grids", "ImgList", "ActnList",
             "Clipbrd", "Mask", "CheckLst", "DB", "DBCtrls", "DBGrids", "Math", "StrUtils", "DateUtils",
             "IniFiles", "Registry", "ShellAPI", "Printers", "ExtDlgs", "ToolWin", "StdActns", "Types", "Contnrs"]
FORM_UNITS = ["Windows", "Messages", "SysUtils", "Variants", "Classes", "Graphics", "Controls", "Forms",
              "Dialogs"]

WORDS = ["Cliente", "Pedido", "Produto", "Estoque", "Fatura", "Relatorio", "Config", "Usuario", "Caixa",
         "Venda", "Compra", "Agenda", "Contato", "Tarefa", "Imposto", "Moeda", "Banco", "Conta", "Nota",
         "Item", "Lote", "Frete", "Pagamento", "Recibo", "Log", "Cache", "Parser", "Helper", "Util"]
COMMENTS = ["Função que calcula o preço com desconto", "Atenção: não alterar a ordem dos campos",
            "Observação: o usuário pode cancelar a operação", "Código legado da versão 3 — revisar",
            "Índice começa em zero", "Conversão de valores em reais (R$)", "Configuração lida do arquivo INI",
            "Não há validação aqui; feita no formulário", "Mensagem exibida ao usuário ao salvar",
            "Rotina de impressão do relatório mensal", "© empresa, todos os direitos reservados",
            "Cálculo do dígito verificador", "Tratamento de exceções genéricas", "Ação padrão: fechar",
            "TODO: trocar por TStringList", "Preço unitário × quantidade"]
MESSAGES = ["Operação concluída com sucesso.", "Deseja realmente excluir o registro?", "Arquivo não encontrado",
            "Informe o código do cliente", "Erro ao gravar: ", "Saldo insuficiente", "Versão ",
            "Configuração salva", "It's done", "Aguarde...", "Não foi possível conectar ao servidor"]
STATEMENTS = [
    "ShowMessage('{msg}');",
    "if {var} > 0 then\n    Inc({var});",
    "{var} := {var} + Length('{msg}');",
    "Screen.Cursor := crHourGlass;",
    "Screen.Cursor := crDefault;",
    "Application.ProcessMessages;",
    "Caption := Format('%s - %d', [Caption, {var}]);",
    "for {var} := 0 to ComponentCount - 1 do\n    if Components[{var}] is TButton then\n      TButton(Components[{var}]).Enabled := True;",
    "FList := TStringList.Create;",
    "try\n    FList.Add(IntToStr({var}));\n  finally\n    FList.Free;\n  end;",
    "Canvas.Brush.Color := clBtnFace;",
    "Canvas.TextOut(4, 4, '{msg}');",
    "if MessageDlg('{msg}', mtConfirmation, [mbYes, mbNo], 0) = mrYes then\n    Close;",
    "Result := Trim(Edit1.Text) <> '';",
    "Panel1.Controls[0].Visible := False;",
    "with TIniFile.Create(ChangeFileExt(Application.ExeName, '.ini')) do\n  try\n    WriteInteger('Form', 'Left', Left);\n  finally\n    Free;\n  end;",
    "{var} := Max({var}, 10);",
    "Label1.Font.Style := [fsBold];",
    "Memo1.Lines.Add(DateTimeToStr(Now));",
    "Screen.Forms[0].BringToFront;",
    "raise Exception.Create('{msg}');",
    "{var} := StrToIntDef(Edit1.Text, 0);",
    "Application.MessageBox(PChar('{msg}'), 'Aviso', MB_OK);",
    "ListBox1.Items.BeginUpdate;",
    "ListBox1.Items.EndUpdate;",
    "Clipboard.AsText := '{msg}';",
    "{var} := {var} div 2;  // {comment}",
]
VARS = ["I", "Count", "Total", "N", "Idx", "Qtd", "Valor"]
# --scope-traps: unit names where a comment, string or directive holds them.
TRAP_NAMES = ["Forms", "Controls", "Windows", "SysUtils", "Dialogs", "Graphics", "Classes", "Messages"]
TRAP_COMMENTS = ["{ Usa {name} e {other} }", "(* {name}; {other}; *)", "// uses {name}, {other};",
                 "{ {name}.Create e {other}.Free }"]
TRAP_STATEMENTS = [
    "ShowMessage('Usa {name} e {other}');",
    "Caption := 'uses {name};';",
    "{$IFDEF {name}}\n  Beep;\n  {$ENDIF}",
    "(*$IFDEF {name}*) Inc({var}); (*$ENDIF*)",
    "Caption := '''\n    Texto com {name}\n    e {other};\n    ''';",
    "Caption := 'Linha'#13#10'{name}'#9'{other}';",
    "Inc({var}); // {name}",
    "{ {name} } Dec({var}); (* {other} *)",
    "Result := Pos('{name}', Caption) > 0;",
    "Caption := '';  { {name}\n    {other} }",
]


class Writer:
    """Builds one file's text and ends its lines with the file's own line end (or a random one)."""

    def __init__(self, rnd, style):
        self.rnd = rnd
        self.style = style  # "crlf", "lf", "cr" or "mixed"
        self.parts = []

    def line(self, text=""):
        for piece in text.split("\n"):
            self.parts.append(piece)
            if self.style == "mixed":
                self.parts.append(self.rnd.choice(["\r\n", "\r\n", "\n", "\r"]))
            else:
                self.parts.append({"crlf": "\r\n", "lf": "\n", "cr": "\r"}[self.style])

    def bytes(self):
        return "".join(self.parts).encode("cp1252")


def line_style(rnd):
    return rnd.choices(["crlf", "lf", "cr", "mixed"], weights=[70, 15, 5, 10])[0]


# ---------------------------------------------------------------------------------------------------------
# Forms: one tree of objects, stored as text or in binary form.

class Obj:
    def __init__(self, cls, name, props, children=(), flags=0, position=None):
        self.cls, self.name, self.props, self.children = cls, name, props, list(children)
        self.flags, self.position = flags, position


# Values are (type, data): "int", "str", "wstr", "ident", "bool", "set", "list", "bin", "coll", "ext".

def make_form(rnd, form_name, title, vocabulary, traps=False):
    children = []
    tops = 8
    for i in range(rnd.randint(2, 9)):
        kind = rnd.choice(["TButton", "TLabel", "TEdit", "TPanel", "TListBox", "TCheckBox", "TMemo",
                           "TComboBox", "TStatusBar", "TImage"])
        name = "%s%d" % (kind[1:], i + 1)
        props = [("Left", ("int", rnd.randint(4, 600))), ("Top", ("int", tops)),
                 ("Width", ("int", rnd.randint(40, 300))), ("Height", ("int", rnd.randint(17, 200)))]
        tops += rnd.randint(20, 140)
        if kind in ("TButton", "TLabel", "TCheckBox", "TPanel"):
            props.append(("Caption", ("str", rnd.choice(MESSAGES + WORDS))))
        if kind == "TButton" and rnd.random() < 0.5:
            props.append(("OnClick", ("ident", "%sClick" % name)))
        if kind == "TLabel" and rnd.random() < 0.5:
            props.append(("Font.Style", ("set", rnd.choice([[], ["fsBold"], ["fsBold", "fsItalic"]]))))
        if kind in ("TListBox", "TComboBox", "TMemo"):
            key = "Lines.Strings" if kind == "TMemo" else "Items.Strings"
            props.append((key, ("list", [("str", rnd.choice(MESSAGES + WORDS)) for _ in range(rnd.randint(0, 5))])))
        if kind == "TMemo" and rnd.random() < 0.4:
            props.append(("Hint", ("wstr", "Observação: " + rnd.choice(COMMENTS))))
        if kind == "TStatusBar":
            items = [[("Width", ("int", rnd.randint(50, 200))), ("Text", ("str", rnd.choice(WORDS)))]
                     for _ in range(rnd.randint(0, 3))]
            props.append(("Panels", ("coll", items)))
        if kind == "TImage" and rnd.random() < 0.7:
            props.append(("Picture.Data", ("bin", bytes(rnd.getrandbits(8) for _ in range(rnd.choice([8, 31, 32, 90]))))))
        if rnd.random() < 0.3:
            props.append(("Anchors", ("set", ["akLeft", "akTop", "akRight"])))
        if vocabulary and rnd.random() < 0.3:
            props.append(("Hint", ("str", "Usa " + rnd.choice(vocabulary))))
        if rnd.random() < 0.15:
            props.append(("Tag", ("int", rnd.choice([-1, 70000, -40000, 2 ** 40]))))
        if traps and rnd.random() < 0.5:
            props.append(("HelpKeyword", ("str", "%s e %s" % (rnd.choice(TRAP_NAMES), rnd.choice(TRAP_NAMES)))))
        sub = []
        if kind == "TPanel":
            for j in range(rnd.randint(0, 3)):
                sub.append(Obj("TSpeedButton", "%sBtn%d" % (name, j + 1),
                               [("Left", ("int", 4 + 28 * j)), ("Top", ("int", 4)), ("Flat", ("bool", True))]))
        children.append(Obj(kind, name, props, sub))
    long_text = rnd.choice(COMMENTS) + " " + " ".join(rnd.choice(WORDS) for _ in range(rnd.randint(4, 20)))
    props = [("Left", ("int", rnd.randint(0, 400))), ("Top", ("int", rnd.randint(0, 300))),
             ("Width", ("int", rnd.randint(300, 900))), ("Height", ("int", rnd.randint(200, 700))),
             ("Caption", ("str", title)), ("Color", ("ident", "clBtnFace")),
             ("Font.Charset", ("ident", "DEFAULT_CHARSET")), ("Font.Color", ("ident", "clWindowText")),
             ("Font.Height", ("int", -11)), ("Font.Name", ("str", "MS Sans Serif")), ("Font.Style", ("set", [])),
             ("OldCreateOrder", ("bool", False)), ("Hint", ("str", long_text)),
             ("PixelsPerInch", ("int", 96)), ("TextHeight", ("int", 13))]
    if rnd.random() < 0.2:
        props.append(("Scaled", ("ext", rnd.choice([1.5, -0.25, 1234.5625]))))
    root = Obj("T" + form_name, form_name, props, children)
    if rnd.random() < 0.15:
        # A form inherited from a base form: the inherited children name their place among the base's.
        root.flags = 1
        for position, child in enumerate(root.children[:2]):
            child.flags, child.position = 3, position
    elif rnd.random() < 0.1 and children:
        children[-1].flags = 4  # a frame placed on the form
    return root


def text_string(data, level, wide):
    """A string value as the form's text gives it: quoted runs, #codes, lines of at most 64 units."""
    if wide:
        raw = data.encode("utf-16-le")
        units = [raw[i] | raw[i + 1] << 8 for i in range(0, len(raw), 2)]
    else:
        units = list(data.encode("cp1252"))
    if not units:
        return "''"
    indent = "  " * (level + 1)
    out = ""
    if len(units) > 64:
        out += "\r\n" + indent
    on_line = 0
    quoted = False
    for i, u in enumerate(units):
        if on_line == 64:
            if quoted:
                out += "'"
                quoted = False
            out += " +\r\n" + indent
            on_line = 0
        code = u < 32 or u == 0x27 or (wide and u > 127)
        if code:
            if quoted:
                out += "'"
                quoted = False
            out += "#%d" % u
        else:
            if not quoted:
                out += "'"
                quoted = True
            out += bytes([u]).decode("cp1252")
        on_line += 1
    if quoted:
        out += "'"
    return out


def ext_text(value):
    return "%.18f" % value


def text_value(value, level):
    kind, data = value
    if kind == "int":
        return str(data)
    if kind in ("str", "wstr"):
        return text_string(data, level, kind == "wstr")
    if kind == "ident":
        return data
    if kind == "bool":
        return "True" if data else "False"
    if kind == "set":
        return "[" + ", ".join(data) + "]"
    if kind == "ext":
        return ext_text(data)
    if kind == "list":
        if not data:
            return "()"
        indent = "  " * (level + 1)
        return "(" + "".join("\r\n" + indent + text_value(v, level + 1) for v in data) + ")"
    if kind == "bin":
        hexed = data.hex().upper()
        if len(data) < 32:
            return "{" + hexed + "}"
        indent = "  " * (level + 1)
        return "{" + "".join("\r\n" + indent + hexed[i:i + 64] for i in range(0, len(hexed), 64)) + "}"
    if kind == "coll":
        if not data:
            return "<>"
        indent = "  " * (level + 1)
        out = "<"
        for props in data:
            out += "\r\n" + indent + "item\r\n"
            for name, v in props:
                out += "  " * (level + 2) + name + " = " + text_value(v, level + 2) + "\r\n"
            out += indent + "end"
        return out + ">"
    raise ValueError(kind)


def text_object(obj, level=0):
    indent = "  " * level
    head = "inherited " if obj.flags & 1 else "inline " if obj.flags & 4 else "object "
    head += (obj.name + ": " if obj.name else "") + obj.cls
    if obj.flags & 2:
        head += " [%d]" % obj.position
    out = indent + head + "\r\n"
    for name, v in obj.props:
        out += "  " * (level + 1) + name + " = " + text_value(v, level + 1) + "\r\n"
    for child in obj.children:
        out += text_object(child, level + 1)
    return out + indent + "end\r\n"


def short(text):
    raw = text.encode("cp1252")
    return bytes([len(raw)]) + raw


def binary_int(n):
    if -128 <= n <= 127:
        return b"\x02" + struct.pack("<b", n)
    if -32768 <= n <= 32767:
        return b"\x03" + struct.pack("<h", n)
    if -2 ** 31 <= n < 2 ** 31:
        return b"\x04" + struct.pack("<i", n)
    return b"\x13" + struct.pack("<q", n)


def extended(value):
    """80-bit extended precision of a finite, non-zero float."""
    mantissa, exponent = __import__("math").frexp(abs(value))
    bits = int(mantissa * (1 << 64))
    biased = exponent - 1 + 16383
    return struct.pack("<QH", bits, biased | (0x8000 if value < 0 else 0))


def binary_value(value):
    kind, data = value
    if kind == "int":
        return binary_int(data)
    if kind == "str":
        raw = data.encode("cp1252")
        if len(raw) > 255:
            return b"\x0c" + struct.pack("<I", len(raw)) + raw
        return b"\x06" + bytes([len(raw)]) + raw
    if kind == "wstr":
        raw = data.encode("utf-16-le")
        return b"\x12" + struct.pack("<I", len(raw) // 2) + raw
    if kind == "ident":
        return b"\x07" + short(data)
    if kind == "bool":
        return b"\x09" if data else b"\x08"
    if kind == "set":
        return b"\x0b" + b"".join(short(n) for n in data) + b"\x00"
    if kind == "ext":
        return b"\x05" + extended(data)
    if kind == "list":
        return b"\x01" + b"".join(binary_value(v) for v in data) + b"\x00"
    if kind == "bin":
        return b"\x0a" + struct.pack("<I", len(data)) + data
    if kind == "coll":
        out = b"\x0e"
        for props in data:
            out += b"\x01" + b"".join(short(n) + binary_value(v) for n, v in props) + b"\x00"
        return out + b"\x00"
    raise ValueError(kind)


def binary_object(obj):
    out = b""
    if obj.flags:
        out += bytes([0xF0 | obj.flags])
        if obj.flags & 2:
            out += binary_int(obj.position)
    out += short(obj.cls) + short(obj.name)
    out += b"".join(short(n) + binary_value(v) for n, v in obj.props) + b"\x00"
    out += b"".join(binary_object(c) for c in obj.children) + b"\x00"
    return out


def binary_form(obj):
    stream = b"TPF0" + binary_object(obj)
    header = b"\xff\x0a\x00" + obj.cls.upper().encode("ascii") + b"\x00" + struct.pack("<HI", 0x1030, len(stream))
    return header + stream


# ---------------------------------------------------------------------------------------------------------
# Units and the project file.

def trap_text(rnd, template):
    names = rnd.sample(TRAP_NAMES, 2)
    return template.replace("{name}", names[0]).replace("{other}", names[1]).replace("{var}", rnd.choice(VARS))


def unit_text(rnd, name, form, uses_units, impl_units, vocabulary, traps=False):
    w = Writer(rnd, line_style(rnd))
    w.line("unit %s;" % name)
    w.line()
    w.line("{ %s }" % rnd.choice(COMMENTS))
    if traps:
        w.line(trap_text(rnd, rnd.choice(TRAP_COMMENTS)))
    w.line()
    w.line("interface")
    w.line()
    w.line("uses")
    if traps:
        # Names in conditional branches, and a comment and a directive between names.
        w.line(rnd.choice(["  {$IFDEF MSWINDOWS}Windows, Messages,{$ELSE}Types,{$ENDIF}",
                           "  (*$IFDEF LINUX*) Libc, (*$ENDIF*)", "  {$IF Defined(MSWINDOWS)} Windows, {$IFEND}"]))
        w.line("  " + ", ".join(uses_units) + " { %s };" % rnd.choice(TRAP_NAMES))
    else:
        w.line("  " + ", ".join(uses_units) + ";")
    w.line()
    w.line("type")
    if form:
        w.line("  T%s = class(TForm)" % form)
        for i in range(rnd.randint(1, 4)):
            w.line("    Button%d: TButton;" % (i + 1))
        w.line("    procedure FormCreate(Sender: TObject);")
    else:
        w.line("  T%s = class(TObject)" % name)
    w.line("  private")
    w.line("    FList: TStringList;")
    w.line("    { %s }" % rnd.choice(COMMENTS))
    methods = ["%s%d" % (rnd.choice(WORDS), i) for i in range(rnd.randint(2, 9))]
    w.line("  public")
    for m in methods:
        w.line("    function %s(const Value: string): Boolean;" % m)
    w.line("  end;")
    w.line()
    if form:
        w.line("var")
        w.line("  %s: T%s;" % (form, form))
        w.line()
    w.line("implementation")
    w.line()
    if impl_units:
        w.line("uses " + ", ".join(impl_units) + ";")
        w.line()
    if form:
        w.line(rnd.choice(["{$R *.dfm}", "{$R *.DFM}", "{$R *.dfm}"]))
        w.line()
    owner = "T" + (form or name)
    if form:
        w.line("procedure %s.FormCreate(Sender: TObject);" % owner)
        w.line("begin")
        w.line("  Caption := '%s';" % rnd.choice(MESSAGES).replace("'", "''"))
        w.line("end;")
        w.line()
    for m in methods:
        w.line("// %s" % rnd.choice(COMMENTS))
        w.line("function %s.%s(const Value: string): Boolean;" % (owner, m))
        w.line("var")
        w.line("  %s: Integer;" % ", ".join(VARS))
        w.line("begin")
        w.line("  Result := False;")
        for _ in range(rnd.randint(3, 14)):
            statement = rnd.choice(STATEMENTS).format(
                var=rnd.choice(VARS), msg=rnd.choice(MESSAGES).replace("'", "''"), comment=rnd.choice(COMMENTS))
            if vocabulary and rnd.random() < 0.04:
                statement = "// usa %s aqui\n  %s" % (rnd.choice(vocabulary), statement)
            w.line("  " + statement)
            if traps and rnd.random() < 0.3:
                w.line("  " + trap_text(rnd, rnd.choice(TRAP_STATEMENTS)))
        if rnd.random() < 0.2:
            w.line("  { %s" % rnd.choice(COMMENTS))
            w.line("    %s }" % rnd.choice(COMMENTS))
        w.line("end;")
        w.line()
    if rnd.random() < 0.1:
        w.line("initialization")
        w.line("  RegisterClass(%s);" % owner)
        w.line()
    w.line("end.")
    return w.bytes()


def project_text(rnd, units):
    w = Writer(rnd, "crlf")
    w.line("program Projeto;")
    w.line()
    w.line("uses")
    entries = ["  Forms"]
    for rel, name, form in units:
        entry = "  %s in '%s'" % (name, rel.replace("/", "\\"))
        if form:
            entry += " {%s}" % form
        entries.append(entry)
    w.line(",\n".join(entries) + ";")
    w.line()
    w.line("{$R *.res}")
    w.line()
    w.line("begin")
    w.line("  Application.Initialize;")
    w.line("  Application.Title := 'Projeto de exemplo';")
    for _, _, form in units:
        if form:
            w.line("  Application.CreateForm(T%s, %s);" % (form, form))
    w.line("  Application.Run;")
    w.line("end.")
    return w.bytes()


def read_dat_finds(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    finds = []
    for line in text.replace("\r\n", "\n").replace("\r", "\n").split("\n")[1:]:
        find = line.split("=", 1)[0].strip()
        if find and find.replace("_", "").isalnum() and find not in finds:
            finds.append(find)
    return finds


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main(argv):
    parser = argparse.ArgumentParser(description="Writes a realistic Delphi project tree.")
    parser.add_argument("--units", type=int, default=200, help="number of units (default 200)")
    parser.add_argument("--out", required=True, help="folder to write (made if missing)")
    parser.add_argument("--seed", type=int, default=1, help="the same seed gives the same tree")
    parser.add_argument("--forms-ratio", type=float, default=0.3, help="share of units with a form (default 0.3)")
    parser.add_argument("--dat", help="a repository (.dat) file whose find texts join the vocabulary")
    parser.add_argument("--twins", help="a folder for the text form of every binary form")
    parser.add_argument("--scope-traps", action="store_true",
                        help="unit names in comments, strings and directives too, and uses clauses with branches")
    args = parser.parse_args(argv)
    if args.units < 0:
        parser.error("--units must not be negative")
    rnd = random.Random(args.seed)
    vocabulary = read_dat_finds(args.dat) if args.dat else []

    folders = ["src", "src/forms", "src/dados", "lib", "lib/comum/util"]
    units = []  # (relative path, unit name, form name or None)
    for i in range(args.units):
        word = WORDS[i % len(WORDS)]
        name = "u%s%d" % (word, i + 1)
        form = "frm%s%d" % (word, i + 1) if rnd.random() < args.forms_ratio else None
        folder = "src/forms" if form else rnd.choice(folders)
        units.append(("%s/%s.pas" % (folder, name), name, form))

    files = 0
    for index, (rel, name, form) in enumerate(units):
        base = FORM_UNITS + rnd.sample(["StdCtrls", "ExtCtrls", "ComCtrls", "Buttons", "Menus", "Grids"],
                                       rnd.randint(1, 4)) if form else rnd.sample(VCL_UNITS, rnd.randint(2, 7))
        base = list(dict.fromkeys(base))
        if vocabulary and rnd.random() < 0.5:
            base.append(rnd.choice(vocabulary))
        others = [units[j][1] for j in rnd.sample(range(index), min(index, rnd.randint(0, 3)))]
        impl = [u for u in rnd.sample(VCL_UNITS, rnd.randint(0, 3)) if u not in base] + others
        write(os.path.join(args.out, rel),
              unit_text(rnd, name, form, base, list(dict.fromkeys(impl)), vocabulary, args.scope_traps))
        files += 1
        if form:
            obj = make_form(rnd, form, rnd.choice(MESSAGES + WORDS), vocabulary, args.scope_traps)
            form_path = rel[:-4] + ".dfm"
            if rnd.random() < 0.5:
                write(os.path.join(args.out, form_path), binary_form(obj))
                if args.twins:
                    write(os.path.join(args.twins, form_path), text_object(obj).encode("cp1252"))
            else:
                text = text_object(obj)
                style = line_style(rnd)
                if style != "crlf":
                    text = text.replace("\r\n", {"lf": "\n", "cr": "\r", "mixed": "\n"}[style])
                write(os.path.join(args.out, form_path), text.encode("cp1252"))
            files += 1
    write(os.path.join(args.out, "Projeto.dpr"), project_text(rnd, units))
    files += 1
    print("%d files in %s" % (files, args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
