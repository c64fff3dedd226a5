# Who makes Tolvane: in the metainfo, the archives and
# the Windows program's version resource.
set(developer_name "The Tolvane developers")
set(developer_id org.tolvane)
