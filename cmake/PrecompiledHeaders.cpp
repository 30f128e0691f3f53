// The source of the targets that only compile precompiled headers (vornex_pch_owner in
// cmake/vornex.cmake); it has no code of its own.
