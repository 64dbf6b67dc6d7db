# A whole game of the real binary: loading, menus, a "Hard" game run, jumped and lost, the
# menu again, the state file and "Quit".
hexwend_game_e2e(game 400)
