// The desktop layer starts here; its windows and services live in their own files.
