object Form1: TSamplePanel
  Caption = 'x' +
    'y'
  Ratio = -1.5e-3
  Color = $00FF00FF
  object Panel1: TSamplePanel
    Link = Form1
    object Inner: TSamplePanel
      Link = Other.Thing
    end
  end
  object TSampleComponent
    Small = $FFFF
  end
end
