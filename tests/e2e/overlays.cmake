# The options screen and the pause menu of the real binary: the music volume changed and
# saved, options over the paused play, quitting a game.
hexwend_game_e2e(overlays 120)
