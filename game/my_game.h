// The game's application class.
#pragma once

#include "app/app.h"
#include "net/http.h"

#include <optional>

// The game's application object; it is also the receiver of every score request it sends.
class c_MyGame : public c_App, public virtual c_IOnHttpRequestComplete {
  public:
    // The score request most recently started, null until the first.
    c_HttpRequest* m_request = nullptr;

    c_MyGame* m_new();
    void mark() override;

    int p_OnCreate() override;
    // Returning after a suspension allows the scores to be sent again.
    int p_OnResume() override;
    // One update: the framework's housekeeping, then the work of the current mode or the
    // open overlay, then publishing the drawing.
    int p_OnUpdate() override;
    // Replays the drawing of the last update.
    int p_OnRender() override;

    // The game's own work, called by the update as the mode asks. Virtual so that a
    // subclass (a test) can watch or replace it.
    //
    // Sends the player's identity, name and (in mode 0) best scores to the score server,
    // when names are allowed, the player has one and no request is outstanding.
    virtual int p_SendScores(int mode);
    // One step of loading the assets, while rt_quzo_QUZO_Loader > 0.
    virtual int p_LoadScreen();
    // Mode 0, the main menu.
    virtual int p_MainMenu();
    // Mode 1, the one update that returns from a game to the menu.
    virtual int p_GotoMenu();
    // Mode 11, the one update that starts a game.
    virtual int p_GotoGame();
    // Mode 10, one update of play.
    virtual int p_Game();

    // The main menu's lists. Each draws its entries as text buttons, moves its highlight by
    // pointer or keys and acts on a chosen entry; a press acts once until it is released.
    //
    // The main list with the name entry, and without it.
    int p_Menu_A_Plus();
    int p_Menu_A();
    // A vertical list of items (the difficulties); the chosen entry counted from 1, or -1.
    int p_Menu_Basic(Array<String> items);
    // One text button: text starting at x, centred on y, with "> " before it in state 1 and
    // nothing drawn in any state but 0 and 1. 1 while a pointer is held inside its box of
    // the text's width and height - 8, else 0.
    int p_TBut(float x, float y, String text, int state, int height);
    // The same with the height 48.
    int p_TBut2(float x, float y, String text, int state);

    // The online leaderboard's requests and replies.
    //
    // Escapes the payload with the markers when escape is 1, appends it to the URL and starts a
    // GET request to which this object answers.
    int p_GetURL(String url, String payload, int escape);
    // A score request has ended, answered or not: sending is allowed again, and a reply that
    // begins "OnlineScores" is read into the online table.
    int p_OnHttpRequestComplete(c_HttpRequest* request) override;
    // Reads the online top five of every game type from a reply. A reply too short for the
    // whole table leaves the table as it is.
    int p_ManageOnline(String reply);

    // The score server's host (and port) the requests go to.
    const String& scoreServer() const { return scoreServer_; }

  private:
    String scoreServer_;
    // The game clock's time when the last score request started.
    std::optional<int> lastRequestMs_;
    // Whether the update may send the scores because the send flag is set: not within
    // kForcedSendGapMs of the last request.
    bool forcedSendDue() const;
};

namespace hexwend::game {

// The shortest time between two requests sent because the send flag is set, in milliseconds
// of the game's clock: while a name is set the scores would otherwise go out again as soon as
// each reply arrives.
inline constexpr int kForcedSendGapMs = 10000;

// The score server's host as the build sets it, and the environment variable that overrides it.
extern const char* const kDefaultScoreServer;
inline constexpr const char* kScoreServerVariable = "HEXWEND_SCORE_SERVER";

// The score server for a value of the environment variable: the value when it is a host name
// or an IPv4 address with an optional ":port" (1 ... 65535), else the build's default (null or
// empty: silently; anything else with a console line saying so).
String scoreServerFrom(const char* value);

// The score payload with the 19 characters a query cannot carry replaced by their markers.
String escapeScorePayload(const String& payload);

// Adds the module initialisations of the game and of every layer below it to the runtime
// start-up, in order.
void registerModules();

} // namespace hexwend::game
