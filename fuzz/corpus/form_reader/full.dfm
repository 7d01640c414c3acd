object Form1: TSamplePanel
  object Target: TSampleComponent
    Left = 10
    Top = 20
  end
  object S1: TSampleComponent
    Tag = 3
    Caption = 'It''s "quoted"'#13#10'and'#9'tabbed'
    Count = -7
    Big = 1099511627776
    Small = 65535
    Ratio = 0.1
    Enabled = False
    Style = stFancy
    Options = [soAutoSize, soShadow]
    Color = clRed
    Font.Name = 'Courier New'
    Font.Style = [fsBold, fsUnderline]
    Lines.Strings = (
      'first'
      ''
      'third')
    Items = <
      item
        Caption = 'one'
      end
      item
        Width = 80
        Visible = False
      end>
    Link = Target
    OnClick = Form1Click
    Data = {
      0001FE7A}
  end
end
