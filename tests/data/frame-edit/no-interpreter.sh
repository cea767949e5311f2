#!/no/such/interpreter
