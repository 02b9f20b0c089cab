-- usage: ardour7-lua resave.lua SESSION_DIR SNAPSHOT : load the session (the plug-in restores its
-- state), then save it again (the plug-in is asked for its state anew).
assert(load_session(arg[1], arg[2]), "load_session failed")
Session:save_state("", false, false, false, false, false)
print("resaved", Session:path())
