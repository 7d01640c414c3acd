// Showcases of the image scroller, the splash screen and the data set navigator.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "gallery.h"
#include "lumaro/zylnavigator.h"
#include "lumaro/zylscroller.h"
#include "lumaro/zylsplash.h"
#include "vcl/dbctrls.h"
#include "vcl/dbtables.h"
#include "vcl/stdctrls.h"

using namespace vcl;
using namespace lumaro;

namespace {

using gallery::Place;

// A 60 x 40 picture: a sky, a sun and a hill, so that a moved picture is easy to follow.
std::unique_ptr<TBitmap> Landscape() {
    auto picture = std::make_unique<TBitmap>();
    picture->SetSize(60, 40);
    TCanvas* canvas = picture->Canvas();
    canvas->Brush()->SetColor(clSkyBlue);
    canvas->FillRect(Rect(0, 0, 60, 40));
    canvas->Brush()->SetColor(clYellow);
    canvas->Pen()->SetColor(clOlive);
    canvas->Ellipse(8, 6, 22, 20);
    canvas->Brush()->SetColor(clGreen);
    canvas->Pen()->SetColor(clGreen);
    canvas->Ellipse(20, 24, 80, 60);
    return picture;
}

gallery::Registration imageScroller{
    "TZylImageScroller", "lumaro",
    "A tiled picture moving left at three positions of its marquee, and a line of 3D text scrolling "
    "upwards.",
    [](gallery::Album& album) {
        TForm* form = album.NewForm("Image scroller", 360, 120);
        auto* pictures = Place<TZylImageScroller>(form, 8, 8, 220, 100);
        auto picture = Landscape();
        pictures->SetBitmap(picture.get());
        auto* text = Place<TZylImageScroller>(form, 240, 8, 112, 100);
        text->SetScrollDirection(kVertical);
        text->SetColor(clNavy);
        text->Font()->SetName("Arial");
        text->Font()->SetSize(14);
        text->Font()->SetStyle({fsBold});
        text->Font()->SetColor(clYellow);
        text->Font3D()->SetStyle3D(fontRaised);
        text->SetText("News");
        album.Shoot("Start: offset 0", form, pictures);
        pictures->SetScrollStep(25);
        text->SetScrollStep(30);
        pictures->MoveImage();
        text->MoveImage();
        album.Shoot("After one step of 25 (text: 30 up)", form, pictures);
        pictures->SetScrollStep(140);
        text->SetScrollStep(40);
        pictures->MoveImage();
        text->MoveImage();
        album.Shoot("Past the end of the surface (offset 165 of 240): wrapped", form, pictures);
    }};

gallery::Registration splashScreen{
    "TZylSplashScreen", "lumaro",
    "The splash window as Execute shows it: a picture centred on a gradient background between a raised "
    "outside frame and a lowered inside frame.",
    [](gallery::Album& album) {
        TForm* holder = album.NewForm("Splash owner", 10, 10);
        auto* fill = new TZylBackground(holder);
        fill->Gradient()->SetBeginColor(clNavy);
        fill->Gradient()->SetEndColor(clTeal);
        auto* splash = new TZylSplashScreen(holder);
        splash->SetName("SplashScreen1");
        splash->SetBackground(fill);
        splash->SetSplashWidth(300);
        splash->SetSplashHeight(160);
        splash->SetBorderwidth(4);
        auto picture = Landscape();
        splash->SetImage(picture.get());
        holder->Hide();
        TComponentPtr<TSplashForm> form(new TSplashForm(nullptr));
        form->Picture()->Assign(splash->PaintSplash().get());
        form->SetClientWidth(300);
        form->SetClientHeight(160);
        form->Show();
        album.Shoot("Splash window, Borderwidth 4", form.get(), splash);
        form->Hide();
    }};

struct NavigatorForm {
    TForm* form;
    TZylDBNavigator* row;
    TZylDBNavigator* column;
};

NavigatorForm BuildNavigatorForm(gallery::Album& album, const std::string& caption, TTable* table) {
    NavigatorForm f{};
    f.form = album.NewForm(caption, 320, 200);
    auto* source = new TDataSource(f.form);
    source->SetDataSet(table);
    auto* label = Place<TLabel>(f.form, 8, 12, 40, 13);
    label->SetCaption("&City:");
    auto* edit = Place<TDBEdit>(f.form, 48, 8, 160, 21);
    edit->SetDataSource(source);
    edit->SetDataField("city");
    label->SetFocusControl(edit);
    f.row = Place<TZylDBNavigator>(f.form, 8, 44, 241, 25);
    f.row->SetDataSource(source);
    // A column of eight flat buttons: turned and thinned out before it gets its final size.
    f.column = new TZylDBNavigator(f.form);
    f.column->SetName("ZylDBNavigator2");
    f.column->SetDirection(kVertical);
    f.column->SetFlat(true);
    f.column->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost});
    f.column->SetParent(f.form);
    f.column->SetBounds(264, 8, 24, 184);
    f.column->SetDataSource(source);
    return f;
}

gallery::Registration navigator{
    "TZylDBNavigator", "lumaro",
    "A row of ten buttons and a flat column of eight over an SQLite table: browsing a middle record, "
    "editing, and an empty table.",
    [](gallery::Album& album) {
        std::filesystem::path folder = std::filesystem::temp_directory_path() / "zyl-gallery-navigator";
        std::filesystem::create_directories(folder);
        const std::string path = (folder / "cities.db").string();
        std::ofstream(path, std::ios::trunc).flush();
        {
            TComponentPtr<TDatabase> connection(new TDatabase(nullptr));
            connection->SetDatabaseName(path);
            connection->Execute(
                "CREATE TABLE cities (id INTEGER PRIMARY KEY, city VARCHAR(30));"
                "INSERT INTO cities VALUES (1, 'Lyon'), (2, 'Porto'), (3, 'Graz'), (4, 'Bern');"
                "CREATE TABLE towns (id INTEGER PRIMARY KEY, city VARCHAR(30));");
        }
        TComponentPtr<TTable> table(new TTable(nullptr));
        table->SetDatabaseName(path);
        table->SetTableName("cities");
        table->Open();
        table->Next();
        NavigatorForm f = BuildNavigatorForm(album, "Navigator", table.get());
        album.Shoot("Browsing record 2 of 4", f.form, f.row);
        table->Edit();
        table->FieldByName("city")->SetAsString("Porto Alegre");
        album.Shoot("Editing: post and cancel enabled", f.form, f.row);
        table->Cancel();
        f.form->Hide();

        TComponentPtr<TTable> empty(new TTable(nullptr));
        empty->SetDatabaseName(path);
        empty->SetTableName("towns");
        empty->Open();
        NavigatorForm e = BuildNavigatorForm(album, "Navigator, empty table", empty.get());
        album.Shoot("Empty table: only insert, edit and refresh", e.form, e.row);
        e.form->Hide();
        empty->Close();
        table->Close();
        std::filesystem::remove_all(folder);
    }};

}  // namespace
